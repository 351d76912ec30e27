#include "comm/BoardInfo.h"

#include <tuple>

namespace {

constexpr std::size_t kMacSize = std::tuple_size_v<MacAddress>;
constexpr std::size_t kAddressSize = std::tuple_size_v<Octets>;

std::uint8_t At(const std::vector<std::uint8_t>& payload, std::size_t offset, std::uint8_t i, std::size_t count,
                std::uint8_t outside) {
  return i < count ? payload[offset + i] : outside;
}

template <std::size_t N>
std::array<std::uint8_t, N> Bytes(const TypeBoardInfo& board, std::uint8_t (TypeBoardInfo::*byteOf)(std::uint8_t) const) {
  std::array<std::uint8_t, N> bytes{};
  for (std::size_t i = 0; i < N; ++i) bytes[i] = (board.*byteOf)(static_cast<std::uint8_t>(i));
  return bytes;
}

}  // namespace

MacAddress TypeBoardInfo::Mac() const { return Bytes<kMacSize>(*this, &TypeBoardInfo::MacByte); }
Octets TypeBoardInfo::Ip() const { return Bytes<kAddressSize>(*this, &TypeBoardInfo::IpByte); }
Octets TypeBoardInfo::Mask() const { return Bytes<kAddressSize>(*this, &TypeBoardInfo::MaskByte); }
Octets TypeBoardInfo::Gateway() const { return Bytes<kAddressSize>(*this, &TypeBoardInfo::GatewayByte); }

std::uint8_t TypeBoardInfo::MacByte(std::uint8_t i) const { return At(payload_, 0, i, kMacSize, 0); }
std::uint8_t TypeBoardInfo::GatewayByte(std::uint8_t i) const {
  return At(payload_, layout_.gatewayOffset, i, kAddressSize, 0);
}
std::uint8_t TypeBoardInfo::IpByte(std::uint8_t i) const { return At(payload_, layout_.ipOffset, i, kAddressSize, 0); }
std::uint8_t TypeBoardInfo::MaskByte(std::uint8_t i) const {
  return At(payload_, layout_.maskOffset, i, kAddressSize, 255);
}
std::uint16_t TypeBoardInfo::Port() const {
  const std::uint8_t first = payload_[layout_.portOffset];
  const std::uint8_t second = payload_[layout_.portOffset + 1];
  return static_cast<std::uint16_t>(layout_.portHighByteFirst ? first * 256 + second : second * 256 + first);
}
bool TypeBoardInfo::DhcpEnabled() const { return payload_[layout_.dhcpOffset] != 0; }

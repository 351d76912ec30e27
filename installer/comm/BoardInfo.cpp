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

std::uint8_t TypeOstrelBoardInfo::MacByte(std::uint8_t i) const { return At(payload(), 0, i, kMacSize, 0); }
std::uint8_t TypeOstrelBoardInfo::GatewayByte(std::uint8_t i) const {
  return At(payload(), kGatewayOffset, i, kAddressSize, 0);
}
std::uint8_t TypeOstrelBoardInfo::IpByte(std::uint8_t i) const { return At(payload(), kIpOffset, i, kAddressSize, 0); }
std::uint8_t TypeOstrelBoardInfo::MaskByte(std::uint8_t i) const {
  return At(payload(), kMaskOffset, i, kAddressSize, 255);
}
std::uint16_t TypeOstrelBoardInfo::Port() const {
  return static_cast<std::uint16_t>(payload()[kPortOffset] * 256 + payload()[kPortOffset + 1]);
}
bool TypeOstrelBoardInfo::DhcpEnabled() const { return payload()[kDhcpOffset] != 0; }

std::uint8_t TypeLindorBoardInfo::MacByte(std::uint8_t i) const { return At(payload(), 0, i, kMacSize, 0); }
std::uint8_t TypeLindorBoardInfo::GatewayByte(std::uint8_t i) const {
  return At(payload(), kGatewayOffset, i, kAddressSize, 0);
}
std::uint8_t TypeLindorBoardInfo::IpByte(std::uint8_t i) const { return At(payload(), kIpOffset, i, kAddressSize, 0); }
std::uint8_t TypeLindorBoardInfo::MaskByte(std::uint8_t i) const {
  return At(payload(), kMaskOffset, i, kAddressSize, 255);
}
std::uint16_t TypeLindorBoardInfo::Port() const {
  return static_cast<std::uint16_t>(payload()[kPortOffset + 1] * 256 + payload()[kPortOffset]);
}
bool TypeLindorBoardInfo::DhcpEnabled() const { return payload()[kDhcpOffset] != 0; }

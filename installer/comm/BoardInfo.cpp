#include "comm/BoardInfo.h"

namespace {

constexpr std::size_t kMacSize = 6;
constexpr std::size_t kAddressSize = 4;

std::uint8_t At(const std::vector<std::uint8_t>& payload, std::size_t offset, std::uint8_t i, std::size_t count,
                std::uint8_t outside) {
  return i < count ? payload[offset + i] : outside;
}

}  // namespace

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

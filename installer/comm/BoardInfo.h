#pragma once
// One ethernet interface board as it answered a search: the payload of its reply record (the
// bytes after the reply token), kept as they came from the wire.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "comm/AddressText.h"

namespace boardkind {
constexpr std::int32_t Ostrel = 0;
constexpr std::int32_t Lindor = 1;
}  // namespace boardkind

// Where a board kind's reply payload keeps each field; the MAC address comes first in both.
struct BoardLayout {
  std::size_t payloadSize;
  std::size_t ipOffset;
  std::size_t maskOffset;
  std::size_t gatewayOffset;
  std::size_t portOffset;
  bool portHighByteFirst;
  std::size_t dhcpOffset;
};

class TypeBoardInfo {
public:
  virtual ~TypeBoardInfo() = default;
  int PayloadSize() const { return static_cast<int>(layout_.payloadSize); }
  // Byte i (first octet 0) of each address; out of range: 0, or 255 for the mask.
  std::uint8_t MacByte(std::uint8_t i) const;
  std::uint8_t GatewayByte(std::uint8_t i) const;
  std::uint8_t IpByte(std::uint8_t i) const;
  std::uint8_t MaskByte(std::uint8_t i) const;
  std::uint16_t Port() const;
  bool DhcpEnabled() const;

  // Each address whole.
  MacAddress Mac() const;
  Octets Ip() const;
  Octets Mask() const;
  Octets Gateway() const;

  std::vector<std::uint8_t>& payload() { return payload_; }
  const std::vector<std::uint8_t>& payload() const { return payload_; }

protected:
  // `payload` holds exactly layout.payloadSize bytes.
  TypeBoardInfo(const BoardLayout& layout, std::span<const std::uint8_t> payload)
      : layout_(layout), payload_(payload.begin(), payload.end()) {}

private:
  BoardLayout layout_;
  std::vector<std::uint8_t> payload_;
};

// The board records of the last search, in the order they answered.
using BoardList = std::vector<std::unique_ptr<TypeBoardInfo>>;

// An Ostrel board: 49-byte reply records "IMIN" + payload, port high byte first.
class TypeOstrelBoardInfo final : public TypeBoardInfo {
public:
  static constexpr BoardLayout kLayout{.payloadSize = 45, .ipOffset = 7, .maskOffset = 11, .gatewayOffset = 15,
                                       .portOffset = 19, .portHighByteFirst = true, .dhcpOffset = 42};
  explicit TypeOstrelBoardInfo(std::span<const std::uint8_t, kLayout.payloadSize> payload)
      : TypeBoardInfo(kLayout, payload) {}
};

// A Lindor board: 34-byte reply records "RQ7200FOUND" + payload, port low byte first.
class TypeLindorBoardInfo final : public TypeBoardInfo {
public:
  static constexpr BoardLayout kLayout{.payloadSize = 23, .ipOffset = 8, .maskOffset = 12, .gatewayOffset = 16,
                                       .portOffset = 20, .portHighByteFirst = false, .dhcpOffset = 22};
  explicit TypeLindorBoardInfo(std::span<const std::uint8_t, kLayout.payloadSize> payload)
      : TypeBoardInfo(kLayout, payload) {}
};

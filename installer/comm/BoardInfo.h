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

class TypeBoardInfo {
public:
  virtual ~TypeBoardInfo() = default;
  virtual int PayloadSize() const = 0;
  // Byte i (first octet 0) of each address; out of range: 0, or 255 for the mask.
  virtual std::uint8_t MacByte(std::uint8_t i) const = 0;
  virtual std::uint8_t GatewayByte(std::uint8_t i) const = 0;
  virtual std::uint8_t IpByte(std::uint8_t i) const = 0;
  virtual std::uint8_t MaskByte(std::uint8_t i) const = 0;
  virtual std::uint16_t Port() const = 0;
  virtual bool DhcpEnabled() const = 0;

  // Each address whole.
  MacAddress Mac() const;
  Octets Ip() const;
  Octets Mask() const;
  Octets Gateway() const;

  std::vector<std::uint8_t>& payload() { return payload_; }
  const std::vector<std::uint8_t>& payload() const { return payload_; }

protected:
  // `payload` holds exactly PayloadSize() bytes.
  explicit TypeBoardInfo(std::span<const std::uint8_t> payload) : payload_(payload.begin(), payload.end()) {}

private:
  std::vector<std::uint8_t> payload_;
};

// The board records of the last search, in the order they answered.
using BoardList = std::vector<std::unique_ptr<TypeBoardInfo>>;

// An Ostrel board: 49-byte reply records "IMIN" + payload, port high byte first.
class TypeOstrelBoardInfo final : public TypeBoardInfo {
public:
  static constexpr std::size_t kPayloadSize = 45;
  static constexpr std::size_t kIpOffset = 7;
  static constexpr std::size_t kMaskOffset = 11;
  static constexpr std::size_t kGatewayOffset = 15;
  static constexpr std::size_t kPortOffset = 19;  // high byte, then low byte
  static constexpr std::size_t kDhcpOffset = 42;

  explicit TypeOstrelBoardInfo(std::span<const std::uint8_t, kPayloadSize> payload) : TypeBoardInfo(payload) {}
  int PayloadSize() const override { return static_cast<int>(kPayloadSize); }
  std::uint8_t MacByte(std::uint8_t i) const override;
  std::uint8_t GatewayByte(std::uint8_t i) const override;
  std::uint8_t IpByte(std::uint8_t i) const override;
  std::uint8_t MaskByte(std::uint8_t i) const override;
  std::uint16_t Port() const override;
  bool DhcpEnabled() const override;
};

// A Lindor board: 34-byte reply records "RQ7200FOUND" + payload, port low byte first.
class TypeLindorBoardInfo final : public TypeBoardInfo {
public:
  static constexpr std::size_t kPayloadSize = 23;
  static constexpr std::size_t kIpOffset = 8;
  static constexpr std::size_t kMaskOffset = 12;
  static constexpr std::size_t kGatewayOffset = 16;
  static constexpr std::size_t kPortOffset = 20;  // in replies low byte, then high byte
  static constexpr std::size_t kDhcpOffset = 22;

  explicit TypeLindorBoardInfo(std::span<const std::uint8_t, kPayloadSize> payload) : TypeBoardInfo(payload) {}
  int PayloadSize() const override { return static_cast<int>(kPayloadSize); }
  std::uint8_t MacByte(std::uint8_t i) const override;
  std::uint8_t GatewayByte(std::uint8_t i) const override;
  std::uint8_t IpByte(std::uint8_t i) const override;
  std::uint8_t MaskByte(std::uint8_t i) const override;
  std::uint16_t Port() const override;
  bool DhcpEnabled() const override;
};

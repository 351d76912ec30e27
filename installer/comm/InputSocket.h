#pragma once
// The socket the board protocol uses: creation with its options, and reads with a time-out
// through a data handle that defaults to the main one.
#include <array>
#include <cstdint>
#include <string>

#include "comm/AbstractSocket.h"
#include "comm/AddressText.h"

class InputSocket : public AbstractSocket {
public:
  using AbstractSocket::AbstractSocket;
  ~InputSocket() override;

  // A new socket with its options, bound to the local address; one still open is closed first.
  bool Create() override;
  void PeerAddress(std::string& text, std::uint16_t& port) override;
  void Close() override;
  void Forget() override;
  std::int32_t SendToLastSender(const std::uint8_t* data, std::int32_t length, std::int32_t seconds) override;
  std::int32_t Receive(std::uint8_t* buffer, std::int32_t size, std::int32_t seconds) override;
  bool BytesAvailable(unsigned long& count) override;

  platform::SOCKET dataHandle() const { return dataHandle_; }
  const Octets& lastSender() const { return lastSender_; }

private:
  std::int32_t Read(std::uint8_t* buffer, std::int32_t size);

  platform::SOCKET dataHandle_ = platform::kInvalidSocket;
  Octets lastSender_{};
  std::int32_t lastSenderPort_ = 0;
};

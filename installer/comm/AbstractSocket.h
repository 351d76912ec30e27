#pragma once
// A socket bound to one of the computer's own addresses, with sends that retry and waits that
// poll on the platform clock. Every operation answers by its result (false, 0 or -1).
#include <array>
#include <cstdint>
#include <string>

#include "platform/Clock.h"
#include "platform/Sockets.h"

// The destination text that broadcasts.
inline constexpr const char* kBroadcastAddress = "255.255.255.255";

class AbstractSocket {
public:
  AbstractSocket(platform::Sockets& sockets, platform::Clock& clock) : sockets_(sockets), clock_(clock) {}
  // Shuts down and closes the handle if it is still set.
  virtual ~AbstractSocket();
  AbstractSocket(const AbstractSocket&) = delete;
  AbstractSocket& operator=(const AbstractSocket&) = delete;

  virtual bool Create() = 0;
  // Nothing is written when the peer is unknown.
  virtual void PeerAddress(std::string& text, std::uint16_t& port);
  virtual void Close();
  // The handle is dropped without being closed.
  virtual void Forget();
  virtual std::int32_t SendToLastSender(const std::uint8_t* data, std::int32_t length, std::int32_t seconds) = 0;
  // Bytes read, 0 when the read failed, -1 on a time-out.
  virtual std::int32_t Receive(std::uint8_t* buffer, std::int32_t size, std::int32_t seconds) = 0;
  // Whether bytes are waiting; `count` is their total over all waiting datagrams.
  virtual bool BytesAvailable(unsigned long& count) = 0;

  // Binds to the index-th address of the computer's host name; false beyond the list.
  bool BindToHostAddress(std::uint16_t port, std::uint32_t index);
  bool EnableBroadcast();
  // Bytes sent, or 0 / -1 as the last attempt ended; the exact text kBroadcastAddress broadcasts.
  std::int32_t SendTo(const std::uint8_t* data, std::int32_t length, const char* host, std::int32_t port,
                      std::int32_t seconds);
  // 1 ready, 0 error, -1 time-out.
  std::int32_t WaitReady(platform::SOCKET socket, std::int32_t seconds, bool forReading);
  std::string LocalAddressText();

  platform::SOCKET handle() const { return handle_; }
  bool bound() const { return bound_; }
  bool broadcast() const { return broadcast_; }
  std::uint16_t localPort() const { return localPort_; }
  const platform::SockAddrIn& localAddress() const { return localAddress_; }

  std::int32_t family = platform::af::Inet;
  std::int32_t protocol = 0;
  std::int32_t type = platform::socktype::Stream;

protected:
  platform::Sockets& sockets_;
  platform::Clock& clock_;
  bool bound_ = false;
  platform::SOCKET handle_ = platform::kInvalidSocket;
  std::uint16_t localPort_ = 0;
  std::string localAddressText_;
  bool broadcast_ = false;
  platform::SockAddrIn localAddress_{platform::af::Inet, 0, {}};
  // Stream sockets only; the installer's sockets are all datagram sockets.
  bool connected_ = false;
};

#include "comm/AbstractSocket.h"

#include <cstring>
#include <vector>

#include "comm/AddressText.h"

namespace {

using platform::DWORD;
namespace wsaerr = platform::wsaerr;

constexpr int kSendAttempts = 3;
constexpr long kSelectMicroseconds = 100;
// gethostname's buffer: a longer name does not fit and the computer has no addresses to bind.
constexpr std::size_t kHostNameBuffer = 80;

std::string HostAndPort(const char* host, std::int32_t port) { return std::string(host) + ":" + std::to_string(port); }

DWORD Milliseconds(std::int32_t seconds) { return seconds > 0 ? static_cast<DWORD>(seconds) * 1000u : 0u; }

}  // namespace

AbstractSocket::~AbstractSocket() {
  if (handle_ == platform::kInvalidSocket) return;
  (void)sockets_.shutdown(handle_, platform::sdhow::Both);  // closed next all the same
  (void)sockets_.closesocket(handle_);                      // the handle is given up either way
}

void AbstractSocket::PeerAddress(std::string& text, std::uint16_t& port) {
  platform::SockAddrIn peer;
  if (sockets_.getpeername(handle_, peer) != 0) return;
  text = DottedQuad(peer.address);
  port = peer.port;
}

void AbstractSocket::Close() {
  (void)sockets_.closesocket(handle_);  // the handle is given up either way
  handle_ = platform::kInvalidSocket;
}

void AbstractSocket::Forget() { handle_ = platform::kInvalidSocket; }

bool AbstractSocket::BindToHostAddress(std::uint16_t port, std::uint32_t index) {
  std::string name;
  if (sockets_.gethostname(name) != 0 || name.size() >= kHostNameBuffer) return false;
  std::vector<std::array<std::uint8_t, 4>> addresses;
  if (!sockets_.gethostbyname(name, addresses)) return false;
  if (index >= addresses.size()) return false;
  localAddressText_ = DottedQuad(addresses[index]);
  localPort_ = port;
  if (sockets_.WSAStringToAddressA(HostAndPort(localAddressText_.c_str(), port), platform::af::Inet,
                                      localAddress_) != 0)
    return false;
  return Create();
}

bool AbstractSocket::EnableBroadcast() {
  const bool set = sockets_.setsockopt(handle_, platform::sockopt::SolSocket, platform::sockopt::Broadcast, 1) == 0;
  broadcast_ = true;
  return set;
}

std::int32_t AbstractSocket::SendTo(const std::uint8_t* data, std::int32_t length, const char* host,
                                    std::int32_t port, std::int32_t seconds) {
  if (data == nullptr || host == nullptr) return -1;
  platform::SockAddrIn destination;
  if (std::strcmp(host, kBroadcastAddress) == 0) {
    (void)EnableBroadcast();  // a refusal shows in sendto's answer
    destination.family = static_cast<std::int16_t>(family);
    destination.port = static_cast<std::uint16_t>(port);
    destination.address = {255, 255, 255, 255};
  } else if (sockets_.WSAStringToAddressA(HostAndPort(host, port), platform::af::Inet, destination) != 0) {
    return -1;  // no destination: nothing to send to
  }
  const std::span<const std::uint8_t> bytes(data, length > 0 ? static_cast<std::size_t>(length) : 0u);

  std::int32_t result = -1;
  for (int attempt = 0; attempt < kSendAttempts; ++attempt) {
    if (type == platform::socktype::Stream && !connected_) {
      if (sockets_.connect(handle_, destination) != 0) {
        const int error = sockets_.WSAGetLastError();
        if (error == wsaerr::AddressInUse || error == wsaerr::ConnectionReset) continue;
        if (error != wsaerr::ConnectionRefused) return -1;
        Close();
        (void)Create();  // the next attempt's connect tells
        clock_.Sleep(10);
        continue;
      }
      connected_ = true;
    }
    result = WaitReady(handle_, seconds, false);
    if (result == 1) {
      result = sockets_.sendto(handle_, bytes, 0, destination);
      if (result != -1) return result;
      const int error = sockets_.WSAGetLastError();
      if (error != wsaerr::ConnectionAborted && error != wsaerr::ConnectionReset && error != wsaerr::NotConnected)
        return -1;
      Close();
      // A new socket has no SO_BROADCAST yet: without it the retried broadcast is refused.
      if (Create() && broadcast_) (void)EnableBroadcast();  // the next attempt's sendto tells
      clock_.Sleep(2000);
      connected_ = false;
      continue;
    }
    if (sockets_.WSAGetLastError() != wsaerr::NotConnected) return result;
    connected_ = false;
    Close();
    (void)Create();  // the next attempt's wait tells
    clock_.Sleep(1);
  }
  return result;
}

std::int32_t AbstractSocket::WaitReady(platform::SOCKET socket, std::int32_t seconds, bool forReading) {
  const DWORD start = clock_.GetTickCount();
  const DWORD limit = Milliseconds(seconds);
  const platform::SelectSet set = forReading ? platform::SelectSet::Read : platform::SelectSet::Write;
  for (;;) {
    const int ready = sockets_.select(socket, set, kSelectMicroseconds);
    if (ready == 1) return 1;
    if (ready == platform::kSocketError) return 0;
    if (static_cast<DWORD>(clock_.GetTickCount() - start) > limit) return -1;
    if (sockets_.select(socket, platform::SelectSet::Except, kSelectMicroseconds) == 1) return 0;
  }
}

std::string AbstractSocket::LocalAddressText() {
  if (!bound_) {
    platform::SockAddrIn local;
    if (sockets_.getsockname(handle_, local) == 0) {
      bound_ = true;
      localPort_ = local.port;
      localAddressText_ = DottedQuad(local.address);
    }
  }
  return localAddressText_;
}

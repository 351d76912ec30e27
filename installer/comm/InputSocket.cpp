#include "comm/InputSocket.h"

#include <algorithm>

#include "comm/AddressText.h"

namespace {

using platform::DWORD;

constexpr int kReceiveBuffer = 65536;
constexpr std::uint16_t kLingerSeconds = 2;

}  // namespace

InputSocket::~InputSocket() {
  if (dataHandle_ == platform::kInvalidSocket) return;
  (void)sockets_.shutdown(dataHandle_, platform::sdhow::Both);  // closed next all the same
  (void)sockets_.closesocket(dataHandle_);                      // the handle is given up either way
  // One socket under two names is closed once.
  if (dataHandle_ == handle_) handle_ = platform::kInvalidSocket;
}

bool InputSocket::Create() {
  // The socket this one replaces would otherwise stay open, unreachable.
  if (handle_ != platform::kInvalidSocket || dataHandle_ != platform::kInvalidSocket) Close();
  handle_ = sockets_.socket(family, type, protocol);
  connected_ = false;
  if (handle_ == platform::kInvalidSocket) return false;
  namespace opt = platform::sockopt;
  (void)sockets_.setsockopt(handle_, opt::SolSocket, opt::ReuseAddr, 1);  // bind says whether the port is free
  if (sockets_.bind(handle_, localAddress_) != 0) return false;
  platform::SockAddrIn bound;
  if (sockets_.getsockname(handle_, bound) == 0) localPort_ = bound.port;
  bound_ = true;
  // Options that only tune the socket: it works without them.
  (void)sockets_.setsockoptLinger(handle_, true, kLingerSeconds);
  (void)sockets_.setsockopt(handle_, opt::SolSocket, opt::RcvBuf, kReceiveBuffer);
  int readBack = 0;
  (void)sockets_.getsockopt(handle_, opt::SolSocket, opt::RcvBuf, readBack);
  return true;
}

void InputSocket::PeerAddress(std::string& text, std::uint16_t& port) {
  text = DottedQuad(lastSender_);
  port = static_cast<std::uint16_t>(lastSenderPort_);
}

void InputSocket::Close() {
  if (dataHandle_ != handle_) {
    if (dataHandle_ != platform::kInvalidSocket) (void)sockets_.closesocket(dataHandle_);  // given up either way
    AbstractSocket::Close();
  } else if (dataHandle_ != platform::kInvalidSocket) {
    (void)sockets_.closesocket(dataHandle_);  // the handle is given up either way
    handle_ = platform::kInvalidSocket;          // closed under its other name: never closed twice
  }
  dataHandle_ = platform::kInvalidSocket;
}

void InputSocket::Forget() {
  if (dataHandle_ != platform::kInvalidSocket) (void)sockets_.closesocket(dataHandle_);  // given up either way
  dataHandle_ = platform::kInvalidSocket;
  handle_ = platform::kInvalidSocket;
}

std::int32_t InputSocket::SendToLastSender(const std::uint8_t* data, std::int32_t length, std::int32_t seconds) {
  std::string host;
  std::uint16_t port = 0;
  PeerAddress(host, port);
  return SendTo(data, length, host.c_str(), port, seconds);
}

std::int32_t InputSocket::Receive(std::uint8_t* buffer, std::int32_t size, std::int32_t seconds) {
  if (dataHandle_ == platform::kInvalidSocket) dataHandle_ = handle_;
  const std::int32_t ready = WaitReady(dataHandle_, seconds, true);
  if (ready != 1) return ready;
  const DWORD start = clock_.GetTickCount();
  const DWORD limit = seconds > 0 ? static_cast<DWORD>(seconds) * 1000u : 0u;
  const unsigned long wanted = size > 0 ? static_cast<unsigned long>(size) : 0ul;
  for (;;) {
    unsigned long count = 0;
    (void)BytesAvailable(count);  // a failure leaves the count at 0
    if (count >= wanted) return Read(buffer, size);
    if (static_cast<DWORD>(clock_.GetTickCount() - start) >= limit) {
      if (count == 0) return -1;
      return Read(buffer, static_cast<std::int32_t>(std::min(count, wanted)));
    }
    clock_.Sleep(1);
  }
}

std::int32_t InputSocket::Read(std::uint8_t* buffer, std::int32_t size) {
  const std::span<std::uint8_t> into(buffer, size > 0 ? static_cast<std::size_t>(size) : 0u);
  int result = 0;
  if (protocol == platform::ipproto::Udp) {
    platform::SockAddrIn from;
    result = sockets_.recvfrom(dataHandle_, into, 0, from);
    if (result != platform::kSocketError) lastSender_ = from.address;
  } else {
    result = sockets_.recv(dataHandle_, into, 0);
  }
  return result == platform::kSocketError ? 0 : result;
}

bool InputSocket::BytesAvailable(unsigned long& count) {
  if (dataHandle_ == platform::kInvalidSocket) dataHandle_ = handle_;
  if (dataHandle_ == platform::kInvalidSocket) return false;
  if (sockets_.ioctlsocketFionread(dataHandle_, count) != 0) {
    count = 0;
    return false;
  }
  return count != 0;
}

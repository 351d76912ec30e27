#include "platform/posix/PosixSockets.h"

#include "platform/CaseFolding.h"
#include "platform/posix/PosixIpHelper.h"

#include <arpa/inet.h>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform::posix {

namespace {

thread_local int lastError = 0;

sockaddr_in ToNative(const SockAddrIn& address) {
  sockaddr_in native{};
  native.sin_family = AF_INET;
  native.sin_port = htons(address.port);
  std::memcpy(&native.sin_addr, address.address.data(), 4);
  return native;
}

SockAddrIn FromNative(const sockaddr_in& native) {
  SockAddrIn address;
  address.family = af::Inet;
  address.port = ntohs(native.sin_port);
  std::memcpy(address.address.data(), &native.sin_addr, 4);
  return address;
}

bool ParseDecimal(std::string_view text, unsigned limit, unsigned& value) {
  if (text.empty() || text.size() > 5) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && value <= limit;
}

// Winsock's code for an errno value.
int WsaErrorOf(int errnoValue) {
  switch (errnoValue) {
    case EINTR: return wsaerr::Interrupted;
    case EACCES:
    case EPERM: return wsaerr::AccessDenied;
    case EFAULT: return wsaerr::Fault;
    case EAGAIN: return wsaerr::WouldBlock;
    case EBADF:
    case ENOTSOCK: return wsaerr::NotSocket;
    case EMSGSIZE: return wsaerr::MessageSize;
    case EPROTONOSUPPORT: return wsaerr::ProtocolNotSupported;
    case ESOCKTNOSUPPORT:
    case EPROTOTYPE: return wsaerr::SocketTypeNotSupported;
    case EAFNOSUPPORT: return wsaerr::AddressFamilyNotSupported;
    case EADDRINUSE: return wsaerr::AddressInUse;
    case EADDRNOTAVAIL: return wsaerr::AddressNotAvailable;
    case ENETDOWN: return wsaerr::NetworkDown;
    case ENETUNREACH:
    case EHOSTUNREACH: return wsaerr::NetworkUnreachable;
    case ECONNABORTED: return wsaerr::ConnectionAborted;
    case ECONNRESET: return wsaerr::ConnectionReset;
    case ENOBUFS:
    case ENOMEM: return wsaerr::NoBuffers;
    case ENOTCONN: return wsaerr::NotConnected;
    case ETIMEDOUT: return wsaerr::TimedOut;
    case ECONNREFUSED: return wsaerr::ConnectionRefused;
    default: return wsaerr::Invalid;  // nothing closer among the codes the system looks at
  }
}

// The socket-level options the board protocol uses, by their Linux names; -1 for any other.
int NativeOption(int level, int name) {
  if (level != sockopt::SolSocket) return -1;
  switch (name) {
    case sockopt::ReuseAddr: return SO_REUSEADDR;
    case sockopt::Broadcast: return SO_BROADCAST;
    case sockopt::RcvBuf: return SO_RCVBUF;
    default: return -1;
  }
}

}  // namespace

PosixSockets::~PosixSockets() {
  for (auto& [handle, open] : open_) ::close(open.fd);
}

int PosixSockets::Fail(int wsaError) {
  lastError = wsaError;
  return kSocketError;
}

int PosixSockets::FailErrno() { return Fail(WsaErrorOf(errno)); }

bool PosixSockets::Started() {
  if (startups_ > 0) return true;
  lastError = wsaerr::NotInitialised;
  return false;
}

PosixSockets::Open* PosixSockets::Find(SOCKET s) {
  if (!Started()) return nullptr;
  const auto found = open_.find(s);
  if (found == open_.end() || found->second.closed) {
    lastError = wsaerr::NotSocket;
    return nullptr;
  }
  return &found->second;
}

void PosixSockets::Close(std::map<SOCKET, Open>::iterator socket) {
  Open& open = socket->second;
  if (open.blocked > 0) {
    // Wakes the blocked calls; the last of them to leave closes the descriptor.
    ::shutdown(open.fd, SHUT_RDWR);
    open.closed = true;
    return;
  }
  ::close(open.fd);
  open_.erase(socket);
}

int PosixSockets::Enter(Open& open) {
  ++open.blocked;
  return open.fd;
}

int PosixSockets::Leave(SOCKET s, int result) {
  std::lock_guard lock(mutex_);
  const auto socket = open_.find(s);  // kept while the call was blocked
  Open& open = socket->second;
  --open.blocked;
  if (!open.closed) return result;
  if (open.blocked == 0) Close(socket);
  return Fail(startups_ > 0 ? wsaerr::Interrupted : wsaerr::NotInitialised);
}

int PosixSockets::WSAStartup(WORD version) {
  constexpr int kVersionNotSupported = 10092;  // WSAVERNOTSUPPORTED: below 1.0
  if ((version & 0xFF) < 1) return kVersionNotSupported;
  std::lock_guard lock(mutex_);
  ++startups_;
  return 0;
}

int PosixSockets::WSACleanup() {
  std::lock_guard lock(mutex_);
  if (!Started()) return kSocketError;
  // The last cleanup closes whatever sockets the process left open, as Winsock does.
  if (--startups_ == 0) {
    for (auto socket = open_.begin(); socket != open_.end();) {
      const auto next = std::next(socket);
      if (!socket->second.closed) Close(socket);
      socket = next;
    }
  }
  return 0;
}

int PosixSockets::WSAGetLastError() { return lastError; }

SOCKET PosixSockets::socket(int family, int type, int protocol) {
  std::lock_guard lock(mutex_);
  if (!Started()) return kInvalidSocket;
  if (family != af::Inet) {
    Fail(wsaerr::AddressFamilyNotSupported);
    return kInvalidSocket;
  }
  int nativeType = 0;
  if (type == socktype::Datagram) nativeType = SOCK_DGRAM;
  else if (type == socktype::Stream) nativeType = SOCK_STREAM;
  else {
    Fail(wsaerr::SocketTypeNotSupported);
    return kInvalidSocket;
  }
  const int fd = ::socket(AF_INET, nativeType | SOCK_CLOEXEC, protocol);
  if (fd < 0) {
    FailErrno();
    return kInvalidSocket;
  }
  const auto handle = static_cast<SOCKET>(fd);
  open_[handle] = Open{fd, type == socktype::Datagram, {}};
  return handle;
}

int PosixSockets::setsockopt(SOCKET s, int level, int name, int value) {
  std::lock_guard lock(mutex_);
  Open* open = Find(s);
  if (open == nullptr) return kSocketError;
  const int nativeName = NativeOption(level, name);
  if (nativeName < 0) return Fail(wsaerr::Invalid);
  if (::setsockopt(open->fd, SOL_SOCKET, nativeName, &value, sizeof value) != 0) return FailErrno();
  return 0;
}

int PosixSockets::setsockoptLinger(SOCKET s, bool on, std::uint16_t seconds) {
  std::lock_guard lock(mutex_);
  Open* open = Find(s);
  if (open == nullptr) return kSocketError;
  const linger value{on ? 1 : 0, seconds};
  if (::setsockopt(open->fd, SOL_SOCKET, SO_LINGER, &value, sizeof value) != 0) return FailErrno();
  return 0;
}

int PosixSockets::getsockopt(SOCKET s, int level, int name, int& value) {
  std::lock_guard lock(mutex_);
  Open* open = Find(s);
  if (open == nullptr) return kSocketError;
  const int nativeName = NativeOption(level, name);
  if (nativeName < 0) return Fail(wsaerr::Invalid);
  socklen_t size = sizeof value;
  if (::getsockopt(open->fd, SOL_SOCKET, nativeName, &value, &size) != 0) return FailErrno();
  // Linux reports twice the size it was given (its bookkeeping included); Windows the size given.
  if (name == sockopt::RcvBuf) value /= 2;
  return 0;
}

int PosixSockets::bind(SOCKET s, const SockAddrIn& local) {
  std::lock_guard lock(mutex_);
  Open* open = Find(s);
  if (open == nullptr) return kSocketError;
  const sockaddr_in native = ToNative(local);
  if (::bind(open->fd, reinterpret_cast<const sockaddr*>(&native), sizeof native) != 0) return FailErrno();
  return 0;
}

int PosixSockets::AddressOf(SOCKET s, SockAddrIn& address, NameCall call) {
  std::lock_guard lock(mutex_);
  Open* open = Find(s);
  if (open == nullptr) return kSocketError;
  sockaddr_in native{};
  socklen_t size = sizeof native;
  if (call(open->fd, reinterpret_cast<sockaddr*>(&native), &size) != 0) return FailErrno();
  address = FromNative(native);
  return 0;
}

int PosixSockets::getsockname(SOCKET s, SockAddrIn& local) {
  return AddressOf(s, local, [](int fd, sockaddr* a, socklen_t* n) { return ::getsockname(fd, a, n); });
}

int PosixSockets::getpeername(SOCKET s, SockAddrIn& peer) {
  return AddressOf(s, peer, [](int fd, sockaddr* a, socklen_t* n) { return ::getpeername(fd, a, n); });
}

int PosixSockets::connect(SOCKET s, const SockAddrIn& peer) {
  int fd = -1;
  {
    std::lock_guard lock(mutex_);
    Open* open = Find(s);
    if (open == nullptr) return kSocketError;
    fd = Enter(*open);
  }
  const sockaddr_in native = ToNative(peer);
  const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&native), sizeof native) == 0;
  return Leave(s, connected ? 0 : FailErrno());
}

int PosixSockets::sendto(SOCKET s, std::span<const std::uint8_t> data, int flags, const SockAddrIn& to) {
  std::lock_guard lock(mutex_);
  Open* open = Find(s);
  if (open == nullptr) return kSocketError;
  if (flags != 0) return Fail(wsaerr::Invalid);
  const sockaddr_in native = ToNative(to);
  const ssize_t sent =
      ::sendto(open->fd, data.data(), data.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&native), sizeof native);
  if (sent < 0) return FailErrno();
  return static_cast<int>(sent);
}

void PosixSockets::Drain(Open& open) {
  // Past this the rest waits in the kernel's buffer (bounded by SO_RCVBUF) until reads make room.
  constexpr std::size_t kMaxQueued = 256 * 1024;
  std::size_t queued = 0;
  for (const Datagram& datagram : open.waiting) queued += datagram.bytes.size();
  std::vector<std::uint8_t> buffer(65536);
  while (queued < kMaxQueued) {
    sockaddr_in native{};
    socklen_t size = sizeof native;
    const ssize_t got = ::recvfrom(open.fd, buffer.data(), buffer.size(), MSG_DONTWAIT,
                                   reinterpret_cast<sockaddr*>(&native), &size);
    if (got < 0) return;  // nothing more waiting (or an error, which the next read reports)
    open.waiting.push_back({{buffer.begin(), buffer.begin() + got}, FromNative(native)});
    queued += static_cast<std::size_t>(got);
  }
}

int PosixSockets::recvfrom(SOCKET s, std::span<std::uint8_t> buffer, int flags, SockAddrIn& from) {
  int fd = -1;
  {
    std::lock_guard lock(mutex_);
    Open* open = Find(s);
    if (open == nullptr) return kSocketError;
    if (flags != 0) return Fail(wsaerr::Invalid);
    if (!open->waiting.empty()) {
      Datagram datagram = std::move(open->waiting.front());
      open->waiting.pop_front();
      const std::size_t copied = std::min(buffer.size(), datagram.bytes.size());
      std::memcpy(buffer.data(), datagram.bytes.data(), copied);
      from = datagram.from;
      if (copied < datagram.bytes.size()) return Fail(wsaerr::MessageSize);
      return static_cast<int>(copied);
    }
    fd = Enter(*open);
  }
  // Nothing queued: block on the kernel as Winsock's blocking recvfrom does, without the lock.
  sockaddr_in native{};
  socklen_t size = sizeof native;
  const ssize_t got =
      ::recvfrom(fd, buffer.data(), buffer.size(), MSG_TRUNC, reinterpret_cast<sockaddr*>(&native), &size);
  if (got < 0) return Leave(s, FailErrno());
  from = FromNative(native);
  return Leave(s, static_cast<std::size_t>(got) > buffer.size() ? Fail(wsaerr::MessageSize) : static_cast<int>(got));
}

int PosixSockets::recv(SOCKET s, std::span<std::uint8_t> buffer, int flags) {
  SockAddrIn from;
  bool datagram = false;
  int fd = -1;
  {
    std::lock_guard lock(mutex_);
    Open* open = Find(s);
    if (open == nullptr) return kSocketError;
    datagram = open->datagram;
    if (!datagram && flags == 0) fd = Enter(*open);
  }
  if (datagram) return recvfrom(s, buffer, flags, from);
  if (flags != 0) return Fail(wsaerr::Invalid);
  const ssize_t got = ::recv(fd, buffer.data(), buffer.size(), 0);
  return Leave(s, got < 0 ? FailErrno() : static_cast<int>(got));
}

int PosixSockets::select(SOCKET s, SelectSet set, long timeoutMicroseconds) {
  pollfd watched{};
  {
    std::lock_guard lock(mutex_);
    Open* open = Find(s);
    if (open == nullptr) return kSocketError;
    if (set == SelectSet::Read && !open->waiting.empty()) return 1;
    watched.fd = Enter(*open);
  }
  watched.events = set == SelectSet::Read ? POLLIN : set == SelectSet::Write ? POLLOUT : POLLPRI;
  const long timeout = std::max(0L, timeoutMicroseconds);
  const timespec wait{timeout / 1000000, (timeout % 1000000) * 1000};
  const int ready = ::ppoll(&watched, 1, &wait, nullptr);
  if (ready < 0) return Leave(s, FailErrno());
  // An error or hang-up counts in the set select would put it in: reading and the exception set.
  const bool inSet = (watched.revents & watched.events) != 0 ||
                     ((watched.revents & (POLLERR | POLLHUP)) != 0 && set != SelectSet::Write);
  return Leave(s, ready > 0 && inSet ? 1 : 0);
}

int PosixSockets::ioctlsocketFionread(SOCKET s, unsigned long& count) {
  std::lock_guard lock(mutex_);
  Open* open = Find(s);
  if (open == nullptr) return kSocketError;
  if (!open->datagram) {
    int waiting = 0;
    if (::ioctl(open->fd, FIONREAD, &waiting) != 0) return FailErrno();
    count = static_cast<unsigned long>(waiting);
    return 0;
  }
  Drain(*open);
  count = 0;
  for (const Datagram& datagram : open->waiting) count += datagram.bytes.size();
  return 0;
}

int PosixSockets::shutdown(SOCKET s, int how) {
  std::lock_guard lock(mutex_);
  Open* open = Find(s);
  if (open == nullptr) return kSocketError;
  const int native = how == sdhow::Receive ? SHUT_RD : how == sdhow::Send ? SHUT_WR : SHUT_RDWR;
  if (how < sdhow::Receive || how > sdhow::Both) return Fail(wsaerr::Invalid);
  if (::shutdown(open->fd, native) != 0) return FailErrno();
  return 0;
}

int PosixSockets::closesocket(SOCKET s) {
  std::lock_guard lock(mutex_);
  if (Find(s) == nullptr) return kSocketError;
  Close(open_.find(s));
  return 0;
}

int PosixSockets::gethostname(std::string& name) {
  {
    std::lock_guard lock(mutex_);
    if (!Started()) return kSocketError;
  }
  char buffer[256] = {};
  if (::gethostname(buffer, sizeof buffer - 1) != 0) return FailErrno();
  name = buffer;
  return 0;
}

bool PosixSockets::gethostbyname(const std::string& name, std::vector<std::array<std::uint8_t, 4>>& addresses) {
  {
    std::lock_guard lock(mutex_);
    if (!Started()) return false;
  }
  addresses.clear();
  char own[256] = {};
  if (::gethostname(own, sizeof own - 1) == 0 && EqualNoCase(own, name)) {
    for (const AdapterInfo& adapter : ListHostAdapters()) {
      for (const IpAddrString& entry : adapter.ipAddressList) {
        in_addr address{};
        if (entry.ipAddress == "0.0.0.0" || inet_pton(AF_INET, entry.ipAddress.c_str(), &address) != 1) continue;
        std::array<std::uint8_t, 4> bytes{};
        std::memcpy(bytes.data(), &address, 4);
        addresses.push_back(bytes);
      }
    }
    if (addresses.empty()) addresses.push_back({127, 0, 0, 1});
    return true;
  }
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
    lastError = wsaerr::HostNotFound;
    return false;
  }
  for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
    std::array<std::uint8_t, 4> bytes{};
    std::memcpy(bytes.data(), &reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr, 4);
    addresses.push_back(bytes);
  }
  ::freeaddrinfo(found);
  return true;
}

int PosixSockets::WSAStringToAddressA(const std::string& text, int family, SockAddrIn& address) {
  {
    std::lock_guard lock(mutex_);
    if (!Started()) return kSocketError;
  }
  if (family != af::Inet) return Fail(wsaerr::Invalid);
  std::string_view rest = text;
  unsigned port = 0;
  if (const auto colon = rest.find(':'); colon != std::string_view::npos) {
    if (!ParseDecimal(rest.substr(colon + 1), 65535, port)) return Fail(wsaerr::Invalid);
    rest = rest.substr(0, colon);
  }
  SockAddrIn parsed;
  for (std::size_t i = 0; i < 4; ++i) {
    const auto dot = rest.find('.');
    if ((dot == std::string_view::npos) != (i == 3)) return Fail(wsaerr::Invalid);
    unsigned octet = 0;
    if (!ParseDecimal(rest.substr(0, dot), 255, octet)) return Fail(wsaerr::Invalid);
    parsed.address[i] = static_cast<std::uint8_t>(octet);
    if (dot != std::string_view::npos) rest = rest.substr(dot + 1);
  }
  parsed.port = static_cast<std::uint16_t>(port);
  address = parsed;
  return 0;
}

}  // namespace platform::posix

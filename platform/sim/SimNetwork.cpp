#include "platform/sim/SimNetwork.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "platform/CaseFolding.h"


namespace platform::sim {

namespace {

using Json = nlohmann::ordered_json;
using Bytes = std::vector<std::uint8_t>;

constexpr int kVersionNotSupported = 10092;  // WSAVERNOTSUPPORTED
constexpr int kNoProtocolOption = 10042;     // WSAENOPROTOOPT
constexpr int kMsgPeek = 2;
constexpr std::size_t kMaxUdpPayload = 65507;
constexpr int kDefaultReceiveBuffer = 65536;
constexpr std::uint16_t kBoardPort = 1460;
constexpr std::uint16_t kFirstEphemeralPort = 49152;
constexpr const char* kHostName = "KVX-SIM";
constexpr Ipv4 kAny{0, 0, 0, 0};
constexpr Ipv4 kLoopback{127, 0, 0, 1};
constexpr Ipv4 kLimitedBroadcast{255, 255, 255, 255};

Ipv4 BroadcastOf(const std::pair<Ipv4, Ipv4>& address) {
  Ipv4 b{};
  for (std::size_t i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(address.first[i] | ~address.second[i]);
  return b;
}

struct Datagram {
  std::uint64_t arrival = 0;  // virtual milliseconds
  SockAddrIn from;
  Bytes bytes;
};

struct Socket {
  HandleTable::Id handle = 0;
  bool bound = false;
  SockAddrIn local;
  bool reuseAddress = false;
  bool broadcast = false;
  int receiveBuffer = kDefaultReceiveBuffer;
  bool linger = false;
  std::uint16_t lingerSeconds = 0;
  bool connected = false;
  SockAddrIn peer;
  std::vector<Datagram> queue;  // by arrival, then sending order
  std::size_t queuedBytes = 0;
};

}  // namespace

// Calls hold the machine's lock but for those that wait for datagrams (select and the receives), which
// run on the network's own state, under mutex_ alone.
struct SimNetwork::Impl : Sockets, IpHelper {
  Impl(MachineLock lock, Json& document, std::shared_ptr<SimClock> clock, std::shared_ptr<FaultInjector> faults,
       std::shared_ptr<HandleTable> handles)
      : lock_(std::move(lock)), document_(document), clock_(std::move(clock)), faults_(std::move(faults)), handles_(std::move(handles)) {}

  ~Impl() override {
    for (auto& [s, socket] : sockets_) handles_->Release(socket.handle);
  }

  // --- library ---------------------------------------------------------------------------------

  int WSAStartup(WORD version) override {
    const auto held = lock_.Hold();
    if (const DWORD error = faults_->Check("WSAStartup")) return static_cast<int>(error);
    if ((version & 0xFF) < 1 || ((version & 0xFF) == 1 && (version >> 8) < 1)) return kVersionNotSupported;
    std::lock_guard lock(mutex_);
    ++startups_;
    return 0;
  }

  int WSACleanup() override {
    const auto held = lock_.Hold();
    std::lock_guard lock(mutex_);
    if (Faulted("WSACleanup") || !Started()) return kSocketError;
    // The last cleanup closes whatever sockets the process left open, as Winsock does.
    if (--startups_ == 0) {
      for (auto& [s, socket] : sockets_) handles_->Release(socket.handle);
      sockets_.clear();
    }
    return 0;
  }

  int WSAGetLastError() override {
    std::lock_guard lock(mutex_);
    const auto it = lastError_.find(std::this_thread::get_id());
    return it == lastError_.end() ? 0 : it->second;
  }

  // --- sockets ---------------------------------------------------------------------------------

  SOCKET socket(int family, int type, int protocol) override {
    const auto held = lock_.Hold();
    std::lock_guard lock(mutex_);
    if (Faulted("socket") || !Started()) return kInvalidSocket;
    if (family != af::Inet) return Fail(wsaerr::AddressFamilyNotSupported, kInvalidSocket);
    // Only datagrams travel on this network; a stream socket is refused as an unsupported type.
    if (type != socktype::Datagram) return Fail(wsaerr::SocketTypeNotSupported, kInvalidSocket);
    if (protocol != 0 && protocol != ipproto::Udp) return Fail(wsaerr::ProtocolNotSupported, kInvalidSocket);
    const SOCKET s = nextSocket_;
    nextSocket_ += 4;
    Socket& socket = sockets_[s];
    socket.handle = handles_->Register("socket", "UDP socket " + std::to_string(s));
    return s;
  }

  int setsockopt(SOCKET s, int level, int name, int value) override {
    const auto held = lock_.Hold();
    std::lock_guard lock(mutex_);
    Socket* socket = Find("setsockopt", s);
    if (!socket) return kSocketError;
    if (level != sockopt::SolSocket) return Fail(wsaerr::Invalid);
    switch (name) {
      case sockopt::ReuseAddr: socket->reuseAddress = value != 0; return 0;
      case sockopt::Broadcast: socket->broadcast = value != 0; return 0;
      case sockopt::RcvBuf:
        if (value < 0) return Fail(wsaerr::Invalid);
        socket->receiveBuffer = value;
        return 0;
      default: return Fail(kNoProtocolOption);
    }
  }

  int setsockoptLinger(SOCKET s, bool on, std::uint16_t seconds) override {
    const auto held = lock_.Hold();
    std::lock_guard lock(mutex_);
    Socket* socket = Find("setsockopt", s);
    if (!socket) return kSocketError;
    socket->linger = on;
    socket->lingerSeconds = seconds;
    return 0;
  }

  int getsockopt(SOCKET s, int level, int name, int& value) override {
    const auto held = lock_.Hold();
    std::lock_guard lock(mutex_);
    Socket* socket = Find("getsockopt", s);
    if (!socket) return kSocketError;
    if (level != sockopt::SolSocket) return Fail(wsaerr::Invalid);
    switch (name) {
      case sockopt::ReuseAddr: value = socket->reuseAddress ? 1 : 0; return 0;
      case sockopt::Broadcast: value = socket->broadcast ? 1 : 0; return 0;
      case sockopt::RcvBuf: value = socket->receiveBuffer; return 0;
      default: return Fail(kNoProtocolOption);
    }
  }

  int bind(SOCKET s, const SockAddrIn& local) override {
    const auto held = lock_.Hold();
    std::lock_guard lock(mutex_);
    Socket* socket = Find("bind", s);
    if (!socket) return kSocketError;
    if (local.family != af::Inet) return Fail(wsaerr::AddressFamilyNotSupported);
    if (socket->bound) return Fail(wsaerr::Invalid);
    if (local.address != kAny && !IsHostAddress(ReadConfig(), local.address)) return Fail(wsaerr::AddressNotAvailable);
    SockAddrIn address = local;
    if (address.port == 0) {
      address.port = EphemeralPort();
    } else if (!socket->reuseAddress && PortTaken(address)) {
      return Fail(wsaerr::AddressInUse);
    }
    socket->local = address;
    socket->bound = true;
    return 0;
  }

  int getsockname(SOCKET s, SockAddrIn& local) override {
    const auto held = lock_.Hold();
    std::lock_guard lock(mutex_);
    Socket* socket = Find("getsockname", s);
    if (!socket) return kSocketError;
    if (!socket->bound) return Fail(wsaerr::Invalid);
    local = socket->local;
    return 0;
  }

  int getpeername(SOCKET s, SockAddrIn& peer) override {
    const auto held = lock_.Hold();
    std::lock_guard lock(mutex_);
    Socket* socket = Find("getpeername", s);
    if (!socket) return kSocketError;
    if (!socket->connected) return Fail(wsaerr::NotConnected);
    peer = socket->peer;
    return 0;
  }

  // A datagram socket's connect only sets its default peer.
  int connect(SOCKET s, const SockAddrIn& peer) override {
    const auto held = lock_.Hold();
    std::lock_guard lock(mutex_);
    Socket* socket = Find("connect", s);
    if (!socket) return kSocketError;
    if (peer.family != af::Inet) return Fail(wsaerr::AddressFamilyNotSupported);
    if (!socket->bound) BindAny(*socket);
    socket->peer = peer;
    socket->connected = true;
    return 0;
  }

  int sendto(SOCKET s, std::span<const std::uint8_t> data, int, const SockAddrIn& to) override {
    const auto held = lock_.Hold();
    std::lock_guard lock(mutex_);
    Socket* socket = Find("sendto", s);
    if (!socket) return kSocketError;
    if (data.size() > kMaxUdpPayload) return Fail(wsaerr::MessageSize);
    if (to.family != af::Inet) return Fail(wsaerr::AddressFamilyNotSupported);
    if (to.address == kAny || to.port == 0) return Fail(wsaerr::AddressNotAvailable);
    if (!socket->bound) BindAny(*socket);
    const SimNetworkConfig config = ReadConfig();
    const SimAdapter* network = nullptr;
    bool broadcast = to.address == kLimitedBroadcast;
    if (broadcast) {
      network = AdapterOf(config, socket->local.address);
    } else {
      for (const SimAdapter& a : config.adapters) {
        for (const auto& address : a.addresses) {
          if (address.first != kAny && BroadcastOf(address) == to.address) {
            network = &a;
            broadcast = true;
          }
        }
      }
    }
    // Windows refuses a broadcast from a socket without SO_BROADCAST.
    if (broadcast && !socket->broadcast) return Fail(wsaerr::AccessDenied);
    const std::uint64_t now = clock_->Elapsed();
    if (!broadcast && IsHostAddress(config, to.address)) {
      DeliverLocally(data, socket->local, to, now);
      return static_cast<int>(data.size());
    }
    if (!broadcast) network = AdapterOf(config, socket->local.address);
    if (network && to.port == kBoardPort) Reach(config, *network, broadcast, to.address, data, *socket, now);
    return static_cast<int>(data.size());
  }

  int recvfrom(SOCKET s, std::span<std::uint8_t> buffer, int flags, SockAddrIn& from) override {
    return Receive("recvfrom", s, buffer, flags, &from);
  }

  int recv(SOCKET s, std::span<std::uint8_t> buffer, int flags) override {
    return Receive("recv", s, buffer, flags, nullptr);
  }

  int select(SOCKET s, SelectSet set, long timeoutMicroseconds) override {
    std::uint64_t sleepMs = 0;
    int result = 0;
    {
      std::lock_guard lock(mutex_);
      Socket* socket = Find("select", s);
      if (!socket) return kSocketError;
      if (timeoutMicroseconds < 0) return Fail(wsaerr::Invalid);
      if (set == SelectSet::Write) return 1;
      if (set == SelectSet::Read && !socket->bound) return Fail(wsaerr::Invalid);
      const std::uint64_t now = clock_->Elapsed();
      // Time-outs below a millisecond add up, so a loop of short selects still reaches its deadline.
      long& carried = carriedMicroseconds_[std::this_thread::get_id()];
      const std::uint64_t total = static_cast<std::uint64_t>(carried) + static_cast<std::uint64_t>(timeoutMicroseconds);
      const std::uint64_t windowMs = total / 1000;
      if (set == SelectSet::Read && !socket->queue.empty() && socket->queue.front().arrival <= now + windowMs) {
        sleepMs = socket->queue.front().arrival > now ? socket->queue.front().arrival - now : 0;
        carried = 0;
        result = 1;
      } else {
        sleepMs = windowMs;
        carried = static_cast<long>(total % 1000);
      }
    }
    // The clock advances outside the lock: another thread's time is its own.
    if (sleepMs > 0) SleepFor(sleepMs);
    return result;
  }

  int ioctlsocketFionread(SOCKET s, unsigned long& count) override {
    const auto held = lock_.Hold();
    std::lock_guard lock(mutex_);
    Socket* socket = Find("ioctlsocket", s);
    if (!socket) return kSocketError;
    const std::uint64_t now = clock_->Elapsed();
    count = 0;
    for (const Datagram& d : socket->queue) {
      if (d.arrival <= now) count += d.bytes.size();
    }
    return 0;
  }

  int shutdown(SOCKET s, int how) override {
    const auto held = lock_.Hold();
    std::lock_guard lock(mutex_);
    Socket* socket = Find("shutdown", s);
    if (!socket) return kSocketError;
    if (how < sdhow::Receive || how > sdhow::Both) return Fail(wsaerr::Invalid);
    return 0;
  }

  int closesocket(SOCKET s) override {
    const auto held = lock_.Hold();
    std::lock_guard lock(mutex_);
    Socket* socket = Find("closesocket", s);
    if (!socket) return kSocketError;
    handles_->Release(socket->handle);
    sockets_.erase(s);
    return 0;
  }

  // --- host ------------------------------------------------------------------------------------

  int gethostname(std::string& name) override {
    const auto held = lock_.Hold();
    std::lock_guard lock(mutex_);
    if (Faulted("gethostname") || !Started()) return kSocketError;
    name = kHostName;
    return 0;
  }

  bool gethostbyname(const std::string& name, std::vector<std::array<std::uint8_t, 4>>& addresses) override {
    const auto held = lock_.Hold();
    std::lock_guard lock(mutex_);
    if (Faulted("gethostbyname") || !Started()) return false;
    addresses.clear();
    if (EqualNoCase(name, "localhost")) {
      addresses.push_back(kLoopback);
      return true;
    }
    if (!EqualNoCase(name, kHostName)) return Fail(wsaerr::HostNotFound, false);
    for (const SimAdapter& a : ReadConfig().adapters) {
      for (const auto& address : a.addresses) {
        if (address.first != kAny) addresses.push_back(address.first);
      }
    }
    // A computer without a configured network still resolves its own name, to the loopback address.
    if (addresses.empty()) addresses.push_back(kLoopback);
    return true;
  }

  int WSAStringToAddressA(const std::string& text, int family, SockAddrIn& address) override {
    const auto held = lock_.Hold();
    std::lock_guard lock(mutex_);
    if (Faulted("WSAStringToAddressA") || !Started()) return kSocketError;
    if (family != af::Inet) return Fail(wsaerr::Invalid);
    const std::size_t colon = text.find(':');
    const auto ip = ParseIpv4(text.substr(0, colon));
    unsigned long port = 0;
    if (colon != std::string::npos) {
      const std::string digits = text.substr(colon + 1);
      if (digits.empty() || digits.size() > 5 ||
          !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return Fail(wsaerr::Invalid);
      }
      port = std::stoul(digits);
    }
    if (!ip || port > 0xFFFF) return Fail(wsaerr::Invalid);
    address = SockAddrIn{static_cast<std::int16_t>(af::Inet), static_cast<std::uint16_t>(port), *ip};
    return 0;
  }

  // --- IP helper -------------------------------------------------------------------------------

  DWORD GetAdaptersInfo(ULONG bufferSize, std::vector<AdapterInfo>& adapters) override {
    const auto held = lock_.Hold();
    if (const DWORD error = faults_->Check("GetAdaptersInfo")) return error;
    std::lock_guard lock(mutex_);
    adapters.clear();
    const SimNetworkConfig config = ReadConfig();
    if (config.adapters.empty()) return winerr::NoData;
    std::uint64_t needed = 0;
    for (const SimAdapter& a : config.adapters) {
      needed += kAdapterInfoSize + kIpAddrStringSize * (a.addresses.size() - 1 + a.gateways.size() - 1);
    }
    if (needed > bufferSize) return winerr::BufferOverflow;
    for (const SimAdapter& a : config.adapters) {
      AdapterInfo info{a.name, a.description, a.mac, {}, {}};
      for (const auto& [ip, mask] : a.addresses) info.ipAddressList.push_back({Ipv4Text(ip), Ipv4Text(mask)});
      for (const Ipv4& gateway : a.gateways) info.gatewayList.push_back({Ipv4Text(gateway), ""});
      adapters.push_back(std::move(info));
    }
    return 0;
  }

private:

  template <class T = int>
  T Fail(int error, T result = kSocketError) {
    lastError_[std::this_thread::get_id()] = error;
    return result;
  }

  bool Started() {
    if (startups_ > 0) return true;
    Fail(wsaerr::NotInitialised);
    return false;
  }

  bool Faulted(std::string_view op) {
    if (const DWORD error = faults_->Check(op)) {
      Fail(static_cast<int>(error));
      return true;
    }
    return false;
  }

  // The counted, checked entry of every call on a socket (caller holds mutex_).
  Socket* Find(std::string_view op, SOCKET s) {
    if (Faulted(op) || !Started()) return nullptr;
    const auto it = sockets_.find(s);
    if (it == sockets_.end()) return Fail<Socket*>(wsaerr::NotSocket, nullptr);
    return &it->second;
  }

  // A test may take an adapter away under its boards: they then hear nothing.
  SimNetworkConfig ReadConfig() const { return ReadNetworkConfig(document_, "machine.json", false); }

  static bool IsHostAddress(const SimNetworkConfig& config, const Ipv4& address) {
    if (address == kLoopback) return true;
    return std::any_of(config.adapters.begin(), config.adapters.end(), [&](const SimAdapter& a) {
      return std::any_of(a.addresses.begin(), a.addresses.end(), [&](const auto& x) { return x.first == address; });
    });
  }

  // The network a socket bound to `local` sends on: its adapter's; for the wildcard address the
  // first adapter that has an address; none for loopback.
  static const SimAdapter* AdapterOf(const SimNetworkConfig& config, const Ipv4& local) {
    for (const SimAdapter& a : config.adapters) {
      for (const auto& address : a.addresses) {
        if (address.first != kAny && (local == kAny || address.first == local)) return &a;
      }
    }
    return nullptr;
  }

  bool PortTaken(const SockAddrIn& address) const {
    return std::any_of(sockets_.begin(), sockets_.end(), [&](const auto& entry) {
      const Socket& other = entry.second;
      return other.bound && other.local.port == address.port &&
             (other.local.address == address.address || other.local.address == kAny || address.address == kAny);
    });
  }

  std::uint16_t EphemeralPort() {
    for (unsigned tries = 0; tries < 16384; ++tries) {
      const std::uint16_t port = static_cast<std::uint16_t>(kFirstEphemeralPort + nextEphemeral_++ % 16384);
      if (!PortTaken(SockAddrIn{af::Inet, port, kAny})) return port;
    }
    return 0;
  }

  void BindAny(Socket& socket) {
    socket.local = SockAddrIn{af::Inet, EphemeralPort(), kAny};
    socket.bound = true;
  }

  void Enqueue(Socket& socket, Datagram datagram) {
    // A full receive buffer drops what comes, as a datagram socket does.
    if (socket.queuedBytes + datagram.bytes.size() > static_cast<std::size_t>(socket.receiveBuffer)) return;
    socket.queuedBytes += datagram.bytes.size();
    const auto at = std::upper_bound(socket.queue.begin(), socket.queue.end(), datagram.arrival,
                                     [](std::uint64_t arrival, const Datagram& d) { return arrival < d.arrival; });
    socket.queue.insert(at, std::move(datagram));
  }

  void DeliverLocally(std::span<const std::uint8_t> data, const SockAddrIn& from, const SockAddrIn& to,
                      std::uint64_t now) {
    for (auto& [s, other] : sockets_) {
      if (other.bound && other.local.port == to.port &&
          (other.local.address == to.address || other.local.address == kAny)) {
        Enqueue(other, Datagram{now, from, Bytes(data.begin(), data.end())});
        return;
      }
    }
  }

  // The boards on `network` that the datagram reaches handle it; their replies come back to the sender.
  void Reach(const SimNetworkConfig& config, const SimAdapter& network, bool broadcast, const Ipv4& to,
             std::span<const std::uint8_t> data, Socket& sender, std::uint64_t now) {
    std::vector<Board> boards;
    std::vector<std::size_t> indexes;
    for (std::size_t i = 0; i < config.boards.size(); ++i) {
      const Board& b = config.boards[i];
      const bool onNetwork = std::find(b.adapters.begin(), b.adapters.end(), network.name) != b.adapters.end();
      if (onNetwork && (broadcast || b.ip == to)) {
        boards.push_back(b);
        indexes.push_back(i);
      }
    }
    std::vector<Board*> hearing;
    for (Board& b : boards) hearing.push_back(&b);
    std::vector<std::size_t> changed;
    for (BoardReply& reply : AnswerRequest(hearing, data, &changed)) {
      const Board& b = config.boards[indexes[reply.board]];
      Enqueue(sender, Datagram{now + reply.delayMs, SockAddrIn{af::Inet, kBoardPort, b.ip}, std::move(reply.bytes)});
    }
    for (std::size_t k : changed) StoreBoardSettings(boards[k], document_["boards"][indexes[k]]);
  }

  int Receive(std::string_view op, SOCKET s, std::span<std::uint8_t> buffer, int flags, SockAddrIn* from) {
    for (bool first = true;; first = false) {
      std::uint64_t waitMs = 0;
      {
        std::lock_guard lock(mutex_);
        Socket* socket = first ? Find(op, s) : nullptr;
        if (!first) {
          if (!startups_) return Fail(wsaerr::NotInitialised);
          const auto it = sockets_.find(s);
          // Closed while the call was blocked.
          if (it == sockets_.end()) return Fail(wsaerr::Interrupted);
          socket = &it->second;
        }
        if (!socket) return kSocketError;
        if (!socket->bound) return Fail(wsaerr::Invalid);
        if (socket->queue.empty()) return Fail(wsaerr::TimedOut);
        const std::uint64_t now = clock_->Elapsed();
        Datagram& next = socket->queue.front();
        if (next.arrival <= now) {
          const std::size_t n = std::min(buffer.size(), next.bytes.size());
          std::copy_n(next.bytes.begin(), n, buffer.begin());
          if (from) *from = next.from;
          const bool whole = n == next.bytes.size();
          if ((flags & kMsgPeek) == 0) {
            socket->queuedBytes -= next.bytes.size();
            socket->queue.erase(socket->queue.begin());
          }
          return whole ? static_cast<int>(n) : Fail(wsaerr::MessageSize);
        }
        waitMs = next.arrival - now;
      }
      // Blocks until the datagram arrives, on the virtual clock and outside the lock.
      SleepFor(waitMs);
    }
  }

  void SleepFor(std::uint64_t milliseconds) {
    while (milliseconds > 0) {
      const DWORD step = static_cast<DWORD>(std::min<std::uint64_t>(milliseconds, 0x7FFFFFFF));
      clock_->Sleep(step);
      milliseconds -= step;
    }
  }

  MachineLock lock_;
  Json& document_;
  std::shared_ptr<SimClock> clock_;
  std::shared_ptr<FaultInjector> faults_;
  std::shared_ptr<HandleTable> handles_;
  std::mutex mutex_;
  int startups_ = 0;
  std::map<SOCKET, Socket> sockets_;
  SOCKET nextSocket_ = 0x100;
  unsigned nextEphemeral_ = 0;
  std::unordered_map<std::thread::id, int> lastError_;
  std::unordered_map<std::thread::id, long> carriedMicroseconds_;
};

SimNetwork::SimNetwork(MachineLock lock, Json& document, std::shared_ptr<SimClock> clock,
                       std::shared_ptr<FaultInjector> faults, std::shared_ptr<HandleTable> handles)
    : impl_(std::make_unique<Impl>(std::move(lock), document, std::move(clock), std::move(faults), std::move(handles))) {}
SimNetwork::~SimNetwork() = default;
Sockets* SimNetwork::sockets() { return impl_.get(); }
IpHelper* SimNetwork::ipHelper() { return impl_.get(); }

}  // namespace platform::sim

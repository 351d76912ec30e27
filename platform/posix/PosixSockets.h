#pragma once
// BSD sockets of this computer behind the Winsock seam, for `--network host`: errno becomes the
// Winsock code, and the answers that differ between the two systems follow Windows:
// - FIONREAD on a datagram socket is the total of all waiting datagrams (Linux gives the first
//   one's size). The backend moves the waiting datagrams into a queue of its own to count them;
//   recvfrom and select serve that queue first, so the order of datagrams is kept.
// - The host name's address list is the IPv4 addresses of the interfaces, not what the resolver
//   says of the name, and 127.0.0.1 when there is none (as Windows answers without an adapter).
// The IP helper lists the interfaces as GetAdaptersInfo does: no loopback, the hardware address,
// the IPv4 addresses with their masks, the default gateway of the routing table.
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <sys/socket.h>

#include "platform/IpHelper.h"
#include "platform/Sockets.h"

namespace platform::posix {

class PosixSockets final : public Sockets {
public:
  ~PosixSockets() override;

  int WSAStartup(WORD version) override;
  int WSACleanup() override;
  int WSAGetLastError() override;

  SOCKET socket(int family, int type, int protocol) override;
  int setsockopt(SOCKET s, int level, int name, int value) override;
  int setsockoptLinger(SOCKET s, bool on, std::uint16_t seconds) override;
  int getsockopt(SOCKET s, int level, int name, int& value) override;
  int bind(SOCKET s, const SockAddrIn& local) override;
  int getsockname(SOCKET s, SockAddrIn& local) override;
  int getpeername(SOCKET s, SockAddrIn& peer) override;
  int connect(SOCKET s, const SockAddrIn& peer) override;
  int sendto(SOCKET s, std::span<const std::uint8_t> data, int flags, const SockAddrIn& to) override;
  int recvfrom(SOCKET s, std::span<std::uint8_t> buffer, int flags, SockAddrIn& from) override;
  int recv(SOCKET s, std::span<std::uint8_t> buffer, int flags) override;
  int select(SOCKET s, SelectSet set, long timeoutMicroseconds) override;
  int ioctlsocketFionread(SOCKET s, unsigned long& count) override;
  int shutdown(SOCKET s, int how) override;
  int closesocket(SOCKET s) override;

  int gethostname(std::string& name) override;
  bool gethostbyname(const std::string& name, std::vector<std::array<std::uint8_t, 4>>& addresses) override;
  int WSAStringToAddressA(const std::string& text, int family, SockAddrIn& address) override;

private:
  struct Datagram {
    std::vector<std::uint8_t> bytes;
    SockAddrIn from;
  };
  struct Open {
    int fd;
    bool datagram;
    std::deque<Datagram> waiting;  // taken from the kernel, not yet read
  };

  // The open socket behind s, or null with WSAENOTSOCK set (caller holds mutex_).
  Open* Find(SOCKET s);
  // Moves every datagram the kernel holds for the socket into its queue (caller holds mutex_).
  void Drain(Open& open);
  int Fail(int wsaError);
  int FailErrno();
  // getsockname or getpeername of an open socket.
  using NameCall = int (*)(int fd, sockaddr* address, socklen_t* size);
  int AddressOf(SOCKET s, SockAddrIn& address, NameCall call);
  bool Started();

  std::mutex mutex_;
  int startups_ = 0;
  std::map<SOCKET, Open> open_;
};

class PosixIpHelper final : public IpHelper {
public:
  DWORD GetAdaptersInfo(ULONG bufferSize, std::vector<AdapterInfo>& adapters) override;
};

// The interfaces as GetAdaptersInfo would list them, whatever the buffer (for tests and the host list).
std::vector<AdapterInfo> ListHostAdapters();
// Winsock's code for an errno value.
int WsaErrorOf(int errnoValue);

}  // namespace platform::posix

#pragma once
// BSD sockets of this computer behind the Winsock seam, for `--network host`: errno becomes the
// Winsock code, and the answers that differ between the two systems follow Windows:
// - FIONREAD on a datagram socket is the total of all waiting datagrams (Linux gives the first
//   one's size). The backend moves the waiting datagrams into a queue of its own to count them;
//   recvfrom and select serve that queue first, so the order of datagrams is kept.
// - The host name's address list is the IPv4 addresses of the interfaces, not what the resolver
//   says of the name, and 127.0.0.1 when there is none (as Windows answers without an adapter).
// - A socket closed (by closesocket or the last WSACleanup) while another thread's call blocks on it
//   ends that call, which fails with WSAEINTR (WSANOTINITIALISED after the cleanup); its descriptor
//   stays open until the call has left, so the number is never reused under it.
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include <sys/socket.h>

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
    int blocked = 0;               // calls on fd that wait without the lock
    bool closed = false;           // closed while calls were blocked: kept until they leave
  };

  // The open socket behind s, or null with WSAENOTSOCK set (caller holds mutex_).
  Open* Find(SOCKET s);
  // Closes the socket, or, while calls are blocked on it, shuts it down to end them (caller holds mutex_).
  void Close(std::map<SOCKET, Open>::iterator socket);
  // Around a call that blocks on the socket's descriptor without the lock: Enter (caller holds mutex_)
  // gives the descriptor, Leave answers the call's result, or the error of a socket closed meanwhile.
  static int Enter(Open& open);
  int Leave(SOCKET s, int result);
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

}  // namespace platform::posix

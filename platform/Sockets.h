#pragma once
// Winsock 2 as the ethernet board code calls it: UDP sockets bound to one of the computer's
// addresses, broadcasts, readiness, the waiting byte count, and the host's own addresses.
// Calls answer as Winsock does: a socket or kInvalidSocket, 0 or kSocketError (-1) with the
// reason in WSAGetLastError (kept per thread), byte counts for sends and receives.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/Win32Types.h"

namespace platform {

using SOCKET = std::uintptr_t;
constexpr SOCKET kInvalidSocket = ~SOCKET{0};
constexpr int kSocketError = -1;

// Winsock error codes.
namespace wsaerr {
constexpr int Interrupted = 10004;
constexpr int AccessDenied = 10013;      // WSAEACCES: broadcast without SO_BROADCAST
constexpr int Fault = 10014;             // WSAEFAULT: a buffer too small (gethostname)
constexpr int Invalid = 10022;           // WSAEINVAL
constexpr int WouldBlock = 10035;
constexpr int NotSocket = 10038;         // WSAENOTSOCK: not an open socket
constexpr int MessageSize = 10040;       // WSAEMSGSIZE: datagram larger than the buffer, truncated
constexpr int ProtocolNotSupported = 10043;
constexpr int SocketTypeNotSupported = 10044;
constexpr int AddressFamilyNotSupported = 10047;
constexpr int AddressInUse = 10048;      // WSAEADDRINUSE
constexpr int AddressNotAvailable = 10049;  // WSAEADDRNOTAVAIL: not one of this computer's addresses
constexpr int NetworkDown = 10050;
constexpr int NetworkUnreachable = 10051;
constexpr int ConnectionAborted = 10053;
constexpr int ConnectionReset = 10054;
constexpr int NoBuffers = 10055;
constexpr int NotConnected = 10057;      // WSAENOTCONN
constexpr int TimedOut = 10060;
constexpr int ConnectionRefused = 10061;
constexpr int NotInitialised = 10093;    // WSANOTINITIALISED: no WSAStartup in effect
constexpr int HostNotFound = 11001;      // WSAHOST_NOT_FOUND
}  // namespace wsaerr

namespace af {
constexpr int Inet = 2;
}  // namespace af
namespace socktype {
constexpr int Stream = 1;
constexpr int Datagram = 2;
}  // namespace socktype
namespace ipproto {
constexpr int Tcp = 6;
constexpr int Udp = 17;
}  // namespace ipproto
namespace sockopt {
constexpr int SolSocket = 0xFFFF;
constexpr int ReuseAddr = 0x0004;
constexpr int Broadcast = 0x0020;
constexpr int Linger = 0x0080;
constexpr int RcvBuf = 0x1002;
}  // namespace sockopt
namespace sdhow {
constexpr int Receive = 0;
constexpr int Send = 1;
constexpr int Both = 2;
}  // namespace sdhow

// An IPv4 socket address (sockaddr_in). Unlike the wire form, the port is in host order here;
// the address is in network order, first octet first.
struct SockAddrIn {
  std::int16_t family = af::Inet;
  std::uint16_t port = 0;
  std::array<std::uint8_t, 4> address{};
  friend bool operator==(const SockAddrIn&, const SockAddrIn&) = default;
};

// Which of select's three sets the one socket is put in.
enum class SelectSet { Read, Write, Except };

class Sockets {
public:
  virtual ~Sockets() = default;

  // 0 or a Winsock error (WSAStartup returns it rather than setting it). Calls nest: each
  // successful WSAStartup needs a WSACleanup, and sockets work only while one is in effect.
  [[nodiscard]] virtual int WSAStartup(WORD version) = 0;
  [[nodiscard]] virtual int WSACleanup() = 0;
  [[nodiscard]] virtual int WSAGetLastError() = 0;

  [[nodiscard]] virtual SOCKET socket(int family, int type, int protocol) = 0;
  // SO_REUSEADDR, SO_BROADCAST, SO_RCVBUF (an int) and SO_LINGER (its two fields) at SOL_SOCKET.
  [[nodiscard]] virtual int setsockopt(SOCKET s, int level, int name, int value) = 0;
  [[nodiscard]] virtual int setsockoptLinger(SOCKET s, bool on, std::uint16_t seconds) = 0;
  [[nodiscard]] virtual int getsockopt(SOCKET s, int level, int name, int& value) = 0;
  [[nodiscard]] virtual int bind(SOCKET s, const SockAddrIn& local) = 0;
  [[nodiscard]] virtual int getsockname(SOCKET s, SockAddrIn& local) = 0;
  [[nodiscard]] virtual int getpeername(SOCKET s, SockAddrIn& peer) = 0;
  [[nodiscard]] virtual int connect(SOCKET s, const SockAddrIn& peer) = 0;
  // Bytes sent, or kSocketError.
  [[nodiscard]] virtual int sendto(SOCKET s, std::span<const std::uint8_t> data, int flags, const SockAddrIn& to) = 0;
  // One datagram per call on a datagram socket: its bytes, or kSocketError with MessageSize when
  // it did not fit (the buffer holds its start, the rest is lost). Blocks while nothing waits.
  [[nodiscard]] virtual int recvfrom(SOCKET s, std::span<std::uint8_t> buffer, int flags, SockAddrIn& from) = 0;
  [[nodiscard]] virtual int recv(SOCKET s, std::span<std::uint8_t> buffer, int flags) = 0;
  // select on one socket in one set: 1 ready, 0 when the time-out passed, kSocketError.
  // The time-out is spent on the platform clock.
  [[nodiscard]] virtual int select(SOCKET s, SelectSet set, long timeoutMicroseconds) = 0;
  // ioctlsocket(FIONREAD): on a datagram socket the total of all waiting datagrams.
  [[nodiscard]] virtual int ioctlsocketFionread(SOCKET s, unsigned long& count) = 0;
  [[nodiscard]] virtual int shutdown(SOCKET s, int how) = 0;
  [[nodiscard]] virtual int closesocket(SOCKET s) = 0;

  // The computer's name (gethostname, whole: the caller applies its own buffer size).
  [[nodiscard]] virtual int gethostname(std::string& name) = 0;
  // gethostbyname's address list (IPv4, in the order the system gives): false when the name does
  // not resolve (WSAGetLastError says why).
  [[nodiscard]] virtual bool gethostbyname(const std::string& name,
                                           std::vector<std::array<std::uint8_t, 4>>& addresses) = 0;
  // WSAStringToAddressA of an IPv4 "a.b.c.d[:port]" text into `address`; kSocketError (Invalid)
  // for any other text.
  [[nodiscard]] virtual int WSAStringToAddressA(const std::string& text, int family, SockAddrIn& address) = 0;
};

}  // namespace platform

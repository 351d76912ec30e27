#pragma once
// SKELETON (to be replaced): Winsock 2 and the IP helper.
#include "platform/IpHelper.h"
#include "platform/Sockets.h"

namespace platform::win32 {

class Win32Sockets : public Sockets {
public:
  int WSAStartup(WORD) override { return wsaerr::NetworkDown; }
  int WSACleanup() override { return kSocketError; }
  int WSAGetLastError() override { return wsaerr::NotInitialised; }
  SOCKET socket(int, int, int) override { return kInvalidSocket; }
  int setsockopt(SOCKET, int, int, int) override { return kSocketError; }
  int setsockoptLinger(SOCKET, bool, std::uint16_t) override { return kSocketError; }
  int getsockopt(SOCKET, int, int, int&) override { return kSocketError; }
  int bind(SOCKET, const SockAddrIn&) override { return kSocketError; }
  int getsockname(SOCKET, SockAddrIn&) override { return kSocketError; }
  int getpeername(SOCKET, SockAddrIn&) override { return kSocketError; }
  int connect(SOCKET, const SockAddrIn&) override { return kSocketError; }
  int sendto(SOCKET, std::span<const std::uint8_t>, int, const SockAddrIn&) override { return kSocketError; }
  int recvfrom(SOCKET, std::span<std::uint8_t>, int, SockAddrIn&) override { return kSocketError; }
  int recv(SOCKET, std::span<std::uint8_t>, int) override { return kSocketError; }
  int select(SOCKET, SelectSet, long) override { return kSocketError; }
  int ioctlsocketFionread(SOCKET, unsigned long&) override { return kSocketError; }
  int shutdown(SOCKET, int) override { return kSocketError; }
  int closesocket(SOCKET) override { return kSocketError; }
  int gethostname(std::string&) override { return kSocketError; }
  bool gethostbyname(const std::string&, std::vector<std::array<std::uint8_t, 4>>&) override { return false; }
  int WSAStringToAddressA(const std::string&, int, SockAddrIn&) override { return kSocketError; }
};

class Win32IpHelper : public IpHelper {
public:
  DWORD GetAdaptersInfo(ULONG, std::vector<AdapterInfo>&) override { return winerr::NoData; }
};

}  // namespace platform::win32

#pragma once
// Winsock 2 and the IP helper of the running Windows.
#include "platform/IpHelper.h"
#include "platform/Sockets.h"

namespace platform::win32 {

class Win32Sockets final : public Sockets {
public:
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
};

class Win32IpHelper final : public IpHelper {
public:
  // The chain Windows writes into a buffer of exactly bufferSize bytes, converted.
  DWORD GetAdaptersInfo(ULONG bufferSize, std::vector<AdapterInfo>& adapters) override;
};

}  // namespace platform::win32

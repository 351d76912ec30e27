#include "platform/win32/Win32Sockets.h"

// winsock2.h must come before windows.h, which would otherwise bring the old winsock.h.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <algorithm>
#include <cstring>

namespace platform::win32 {

static_assert(std::is_same_v<platform::SOCKET, ::SOCKET> && platform::kInvalidSocket == INVALID_SOCKET);
static_assert(sockopt::SolSocket == SOL_SOCKET && sockopt::ReuseAddr == SO_REUSEADDR &&
              sockopt::Broadcast == SO_BROADCAST && sockopt::Linger == SO_LINGER && sockopt::RcvBuf == SO_RCVBUF);
static_assert(af::Inet == AF_INET && socktype::Stream == SOCK_STREAM && socktype::Datagram == SOCK_DGRAM &&
              ipproto::Udp == IPPROTO_UDP && ipproto::Tcp == IPPROTO_TCP);
static_assert(sdhow::Receive == SD_RECEIVE && sdhow::Send == SD_SEND && sdhow::Both == SD_BOTH);
static_assert(wsaerr::MessageSize == WSAEMSGSIZE && wsaerr::NotInitialised == WSANOTINITIALISED &&
              wsaerr::AddressNotAvailable == WSAEADDRNOTAVAIL && wsaerr::HostNotFound == WSAHOST_NOT_FOUND);
static_assert(winerr::BufferOverflow == ERROR_BUFFER_OVERFLOW && winerr::NoData == ERROR_NO_DATA);

namespace {

sockaddr_in ToNative(const SockAddrIn& address) {
  sockaddr_in native{};
  native.sin_family = static_cast<ADDRESS_FAMILY>(address.family);
  native.sin_port = htons(address.port);
  std::memcpy(&native.sin_addr, address.address.data(), 4);
  return native;
}

SockAddrIn FromNative(const sockaddr_in& native) {
  SockAddrIn address;
  address.family = static_cast<std::int16_t>(native.sin_family);
  address.port = ntohs(native.sin_port);
  std::memcpy(address.address.data(), &native.sin_addr, 4);
  return address;
}

int Length(std::size_t size) { return static_cast<int>(std::min<std::size_t>(size, 0x7FFFFFFF)); }

std::vector<IpAddrString> AddressList(const IP_ADDR_STRING& first) {
  std::vector<IpAddrString> list;
  for (const IP_ADDR_STRING* entry = &first; entry != nullptr; entry = entry->Next)
    list.push_back({entry->IpAddress.String, entry->IpMask.String});
  return list;
}

}  // namespace

int Win32Sockets::WSAStartup(WORD version) {
  WSADATA data{};
  return ::WSAStartup(version, &data);
}

int Win32Sockets::WSACleanup() { return ::WSACleanup(); }
int Win32Sockets::WSAGetLastError() { return ::WSAGetLastError(); }
SOCKET Win32Sockets::socket(int family, int type, int protocol) { return ::socket(family, type, protocol); }

int Win32Sockets::setsockopt(SOCKET s, int level, int name, int value) {
  return ::setsockopt(s, level, name, reinterpret_cast<const char*>(&value), sizeof value);
}

int Win32Sockets::setsockoptLinger(SOCKET s, bool on, std::uint16_t seconds) {
  const linger value{static_cast<u_short>(on ? 1 : 0), seconds};
  return ::setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&value), sizeof value);
}

int Win32Sockets::getsockopt(SOCKET s, int level, int name, int& value) {
  int size = sizeof value;
  return ::getsockopt(s, level, name, reinterpret_cast<char*>(&value), &size);
}

int Win32Sockets::bind(SOCKET s, const SockAddrIn& local) {
  const sockaddr_in native = ToNative(local);
  return ::bind(s, reinterpret_cast<const sockaddr*>(&native), sizeof native);
}

int Win32Sockets::getsockname(SOCKET s, SockAddrIn& local) {
  sockaddr_in native{};
  int size = sizeof native;
  const int result = ::getsockname(s, reinterpret_cast<sockaddr*>(&native), &size);
  if (result == 0) local = FromNative(native);
  return result;
}

int Win32Sockets::getpeername(SOCKET s, SockAddrIn& peer) {
  sockaddr_in native{};
  int size = sizeof native;
  const int result = ::getpeername(s, reinterpret_cast<sockaddr*>(&native), &size);
  if (result == 0) peer = FromNative(native);
  return result;
}

int Win32Sockets::connect(SOCKET s, const SockAddrIn& peer) {
  const sockaddr_in native = ToNative(peer);
  return ::connect(s, reinterpret_cast<const sockaddr*>(&native), sizeof native);
}

int Win32Sockets::sendto(SOCKET s, std::span<const std::uint8_t> data, int flags, const SockAddrIn& to) {
  const sockaddr_in native = ToNative(to);
  return ::sendto(s, reinterpret_cast<const char*>(data.data()), Length(data.size()), flags,
                  reinterpret_cast<const sockaddr*>(&native), sizeof native);
}

int Win32Sockets::recvfrom(SOCKET s, std::span<std::uint8_t> buffer, int flags, SockAddrIn& from) {
  sockaddr_in native{};
  int size = sizeof native;
  const int result = ::recvfrom(s, reinterpret_cast<char*>(buffer.data()), Length(buffer.size()), flags,
                                reinterpret_cast<sockaddr*>(&native), &size);
  // A truncated datagram still names its sender.
  if (result != SOCKET_ERROR || ::WSAGetLastError() == WSAEMSGSIZE) from = FromNative(native);
  return result;
}

int Win32Sockets::recv(SOCKET s, std::span<std::uint8_t> buffer, int flags) {
  return ::recv(s, reinterpret_cast<char*>(buffer.data()), Length(buffer.size()), flags);
}

int Win32Sockets::select(SOCKET s, SelectSet set, long timeoutMicroseconds) {
  fd_set sockets;
  FD_ZERO(&sockets);
  FD_SET(s, &sockets);
  timeval timeout{timeoutMicroseconds / 1000000, timeoutMicroseconds % 1000000};
  return ::select(0, set == SelectSet::Read ? &sockets : nullptr, set == SelectSet::Write ? &sockets : nullptr,
                  set == SelectSet::Except ? &sockets : nullptr, &timeout);
}

int Win32Sockets::ioctlsocketFionread(SOCKET s, unsigned long& count) {
  u_long waiting = 0;
  const int result = ::ioctlsocket(s, FIONREAD, &waiting);
  if (result == 0) count = waiting;
  return result;
}

int Win32Sockets::shutdown(SOCKET s, int how) { return ::shutdown(s, how); }
int Win32Sockets::closesocket(SOCKET s) { return ::closesocket(s); }

int Win32Sockets::gethostname(std::string& name) {
  char buffer[256] = {};  // Winsock's documented limit for any host name
  const int result = ::gethostname(buffer, sizeof buffer);
  if (result == 0) name = buffer;
  return result;
}

bool Win32Sockets::gethostbyname(const std::string& name, std::vector<std::array<std::uint8_t, 4>>& addresses) {
  const hostent* host = ::gethostbyname(name.c_str());
  if (host == nullptr) return false;
  addresses.clear();
  if (host->h_addrtype != AF_INET || host->h_length != 4) return true;
  for (char** entry = host->h_addr_list; *entry != nullptr; ++entry) {
    std::array<std::uint8_t, 4> address{};
    std::memcpy(address.data(), *entry, 4);
    addresses.push_back(address);
  }
  return true;
}

int Win32Sockets::WSAStringToAddressA(const std::string& text, int family, SockAddrIn& address) {
  std::vector<char> writable(text.begin(), text.end());
  writable.push_back('\0');
  sockaddr_in native{};
  int size = sizeof native;
  const int result =
      ::WSAStringToAddressA(writable.data(), family, nullptr, reinterpret_cast<sockaddr*>(&native), &size);
  if (result == 0) address = FromNative(native);
  return result;
}

DWORD Win32IpHelper::GetAdaptersInfo(ULONG bufferSize, std::vector<AdapterInfo>& adapters) {
  // IP_ADAPTER_INFO holds pointers: keep the buffer aligned for them.
  std::vector<std::uint64_t> buffer((bufferSize + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
  auto* first = bufferSize == 0 ? nullptr : reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
  ::ULONG size = bufferSize;
  const DWORD result = ::GetAdaptersInfo(first, &size);
  if (result != ERROR_SUCCESS) return result;
  adapters.clear();
  for (const IP_ADAPTER_INFO* adapter = first; adapter != nullptr; adapter = adapter->Next) {
    AdapterInfo info;
    info.adapterName = adapter->AdapterName;
    info.description = adapter->Description;
    const UINT length = std::min<UINT>(adapter->AddressLength, MAX_ADAPTER_ADDRESS_LENGTH);
    info.address.assign(adapter->Address, adapter->Address + length);
    info.ipAddressList = AddressList(adapter->IpAddressList);
    info.gatewayList = AddressList(adapter->GatewayList);
    adapters.push_back(std::move(info));
  }
  return ERROR_SUCCESS;
}

}  // namespace platform::win32

#include "platform/sim/SimNetwork.h"

#include <nlohmann/json.hpp>

namespace platform::sim {

struct SimNetwork::Impl : Sockets, IpHelper {
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
  DWORD GetAdaptersInfo(ULONG, std::vector<AdapterInfo>&) override { return winerr::NoData; }
};

SimNetwork::SimNetwork(nlohmann::ordered_json&, std::shared_ptr<SimClock>, std::shared_ptr<FaultInjector>,
                       std::shared_ptr<HandleTable>)
    : impl_(std::make_unique<Impl>()) {}
SimNetwork::~SimNetwork() = default;
Sockets* SimNetwork::sockets() { return impl_.get(); }
IpHelper* SimNetwork::ipHelper() { return impl_.get(); }

}  // namespace platform::sim

#include "platform/posix/PosixIpHelper.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <netpacket/packet.h>
#include <sys/socket.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace platform::posix {

namespace {

std::string DottedText(const sockaddr* address) {
  if (address == nullptr || address->sa_family != AF_INET) return "0.0.0.0";
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, sizeof text);
  return text;
}

// The default gateway of each interface, from the kernel's routing table.
std::map<std::string, std::string> DefaultGateways() {
  std::map<std::string, std::string> gateways;
  std::ifstream routes("/proc/net/route");
  std::string line;
  std::getline(routes, line);  // the heading
  while (std::getline(routes, line)) {
    std::istringstream fields(line);
    std::string name, destination, gateway, mask;
    unsigned flags = 0;
    int refCount = 0, use = 0, metric = 0;
    if (!(fields >> name >> destination >> gateway >> std::hex >> flags >> std::dec >> refCount >> use >> metric >> mask))
      continue;
    constexpr unsigned kRouteGateway = 0x2;
    if (destination != "00000000" || mask != "00000000" || (flags & kRouteGateway) == 0 || gateways.contains(name))
      continue;
    // The kernel prints the address as the in_addr's own 32-bit value.
    in_addr address{};
    address.s_addr = static_cast<in_addr_t>(std::stoul(gateway, nullptr, 16));
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof text);
    gateways.emplace(name, text);
  }
  return gateways;
}

}  // namespace

std::vector<AdapterInfo> ListHostAdapters() {
  std::vector<AdapterInfo> adapters;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return adapters;
  std::vector<std::string> order;
  std::map<std::string, AdapterInfo> byName;
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if ((entry->ifa_flags & IFF_LOOPBACK) != 0 || entry->ifa_addr == nullptr) continue;
    const std::string name = entry->ifa_name;
    auto [found, added] = byName.try_emplace(name);
    AdapterInfo& adapter = found->second;
    if (added) {
      order.push_back(name);
      adapter.adapterName = name;
      adapter.description = name;
    }
    if (entry->ifa_addr->sa_family == AF_PACKET) {
      const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
      const std::size_t length = std::min<std::size_t>(link->sll_halen, 8);
      adapter.address.assign(link->sll_addr, link->sll_addr + length);
    } else if (entry->ifa_addr->sa_family == AF_INET) {
      adapter.ipAddressList.push_back({DottedText(entry->ifa_addr), DottedText(entry->ifa_netmask)});
    }
  }
  ::freeifaddrs(list);
  const auto gateways = DefaultGateways();
  for (const std::string& name : order) {
    AdapterInfo& adapter = byName[name];
    if (adapter.ipAddressList.empty()) adapter.ipAddressList.push_back({"0.0.0.0", "0.0.0.0"});
    const auto gateway = gateways.find(name);
    adapter.gatewayList.push_back(gateway != gateways.end() ? IpAddrString{gateway->second, "255.255.255.255"}
                                                            : IpAddrString{"0.0.0.0", "0.0.0.0"});
    adapters.push_back(std::move(adapter));
  }
  return adapters;
}

DWORD PosixIpHelper::GetAdaptersInfo(ULONG bufferSize, std::vector<AdapterInfo>& adapters) {
  std::vector<AdapterInfo> found = ListHostAdapters();
  if (found.empty()) return winerr::NoData;
  ULONG needed = 0;
  for (const AdapterInfo& adapter : found)
    needed += kAdapterInfoSize +
              kIpAddrStringSize * static_cast<ULONG>(adapter.ipAddressList.size() + adapter.gatewayList.size() - 2);
  if (bufferSize < needed) return winerr::BufferOverflow;
  adapters = std::move(found);
  return 0;
}

}  // namespace platform::posix

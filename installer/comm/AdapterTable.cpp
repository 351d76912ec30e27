#include "comm/AdapterTable.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr platform::ULONG kAdapterListBuffer = 11264;
// IP_ADAPTER_INFO's hardware-address field and IP_ADDR_STRING's text field hold no more.
constexpr std::size_t kMaxAddressLength = 8;
constexpr std::size_t kMaxAddressText = 15;

std::string MacText(const std::vector<std::uint8_t>& address) {
  char text[30] = {};
  const std::size_t count = std::min(address.size(), kMaxAddressLength);
  for (std::size_t i = 0; i < count; ++i)
    std::snprintf(text + 3 * i, sizeof text - 3 * i, i + 1 < count ? "%.2X-" : "%.2X\n", unsigned{address[i]});
  return text;
}

std::string AddressText(const std::string& text) { return text.substr(0, kMaxAddressText); }

}  // namespace

void BuildAdapterTable(platform::Platform& os, AdapterTable& table) {
  std::vector<platform::AdapterInfo> adapters;
  if (os.ipHelper.GetAdaptersInfo(kAdapterListBuffer, adapters) != 0) return;
  for (const platform::AdapterInfo& adapter : adapters) {
    AdapterRecord record;
    record.macText = MacText(adapter.address);
    if (!adapter.ipAddressList.empty()) {
      record.ipAddress = AddressText(adapter.ipAddressList.front().ipAddress);
      record.ipMask = AddressText(adapter.ipAddressList.front().ipMask);
    }
    if (!adapter.gatewayList.empty()) record.gateway = AddressText(adapter.gatewayList.front().ipAddress);
    const std::string key = record.macText;
    table.emplace(key, std::move(record));
  }
}

const AdapterRecord* FindAdapterByAddress(const AdapterTable& table, const std::string& ipAddress) {
  for (const auto& [mac, record] : table)
    if (record.ipAddress == ipAddress) return &record;
  return nullptr;
}

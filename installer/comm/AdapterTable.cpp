#include "comm/AdapterTable.h"

#include <algorithm>
#include <span>
#include <vector>

#include "comm/AddressText.h"

namespace {

constexpr platform::ULONG kAdapterListBuffer = 11264;
// IP_ADAPTER_INFO's hardware-address field and IP_ADDR_STRING's text field hold no more.
constexpr std::size_t kMaxAddressLength = 8;
constexpr std::size_t kMaxAddressText = 15;

std::string MacText(const std::vector<std::uint8_t>& address) {
  const std::size_t count = std::min(address.size(), kMaxAddressLength);
  return count == 0 ? std::string() : HexPairs(std::span(address).first(count), '-') + "\n";
}

std::string AddressText(const std::string& text) { return text.substr(0, kMaxAddressText); }

}  // namespace

void BuildAdapterTable(platform::IpHelper& ipHelper, AdapterTable& table) {
  std::vector<platform::AdapterInfo> adapters;
  if (ipHelper.GetAdaptersInfo(kAdapterListBuffer, adapters) != 0) return;
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

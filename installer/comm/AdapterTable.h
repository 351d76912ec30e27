#pragma once
// The computer's network adapters, each with its first address, that address's mask and the
// first gateway, keyed by hardware-address text.
#include <map>
#include <string>

#include "platform/IpHelper.h"

struct AdapterRecord {
  std::string macText;  // "00-1A-2B-3C-4D-5E\n"
  std::string ipAddress;
  std::string ipMask;
  std::string gateway;
};

// Ordered byte-wise by MAC text.
using AdapterTable = std::map<std::string, AdapterRecord>;

// Adds one record per adapter to `table` (passed in empty); an adapter whose MAC text is already
// there is dropped. Nothing is added when the adapter list cannot be read.
void BuildAdapterTable(platform::IpHelper& ipHelper, AdapterTable& table);

// The first record, in key order, whose IP address is `ipAddress`; null when none is.
const AdapterRecord* FindAdapterByAddress(const AdapterTable& table, const std::string& ipAddress);

#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/PrivateProfile.h"

// The product catalog beside the program: models, their board marks, interfaces and driver files.
inline constexpr const char* kCatalogFile = ".\\KvxIns.ini";
inline constexpr const char* kSupportedPrintersSection = "Supported.Printers";
inline constexpr const char* kInterfaceSection = "Interface.Supported.Printers";

// Flag word bits of a model: the paper widths its board marks stand for.
inline constexpr std::uint32_t kWidth48Flag = 0x1;
inline constexpr std::uint32_t kWidth80Flag = 0x2;

struct CatalogEntry {
  std::string name;
  std::uint32_t flags = 0;
};

enum InterfaceKind : int { kSerialInterface = 0, kParallelInterface = 1, kUsbInterface = 2, kEthernetInterface = 3 };

// The model list, in order of first appearance. Decorated entries read "<name> $<flags as %04X>".
std::vector<std::string> ReadSupportedPrinters(platform::PrivateProfile& profile, bool decorate);

// The same list as entries, for callers that want the flag word itself.
std::vector<CatalogEntry> ReadCatalogEntries(platform::PrivateProfile& profile);

// Whether the model dialog lists a catalog name: it carries one of the family codes "RQ" or "VT".
bool IsListedModel(const std::string& name);

// True when `name` contains the "Ostrel" value of the model list (an empty value is in every name).
bool IsOstrelModel(platform::PrivateProfile& profile, const std::string& name, std::string* value = nullptr);

bool IsInterfaceSupported(platform::PrivateProfile& profile, const std::string& model, int kind);

// One catalog value read into the 100-byte buffer every single value of the catalog uses.
std::string ReadCatalogValue(platform::PrivateProfile& profile, const std::string& section, const std::string& key,
                             const std::string& defaultValue);

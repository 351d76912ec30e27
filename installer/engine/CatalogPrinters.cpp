#include "engine/CatalogPrinters.h"

#include <algorithm>
#include <cstring>

#include "engine/Catalog.h"
#include "engine/PrinterNames.h"

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Takes a trailing " (Copy n)", n = 1..9, off the name.
std::string WithoutCopyNumber(const std::string& name) {
  constexpr std::size_t kSuffix = sizeof(" (Copy 1)") - 1;
  if (name.size() < kSuffix) return name;
  const std::string tail = name.substr(name.size() - kSuffix);
  const bool copy = tail.starts_with(" (Copy ") && tail[7] >= '1' && tail[7] <= '9' && tail[8] == ')';
  return copy ? name.substr(0, name.size() - kSuffix) : name;
}

}  // namespace

bool IsCatalogDriver(platform::PrivateProfile& profile, const std::string& driverName) {
  for (const char* width : {"48mm", "72mm", "80mm"})
    if (driverName == WidthName("Tolvaren ", width)) return true;
  std::string model = WithoutCopyNumber(driverName);
  if (EndsWith(model, " (Scaled)")) model.resize(model.size() - std::strlen(" (Scaled)"));
  const std::vector<CatalogEntry> entries = ReadCatalogEntries(profile);
  return std::any_of(entries.begin(), entries.end(), [&](const CatalogEntry& entry) { return entry.name == model; });
}

std::vector<platform::PrinterInfo2A> CatalogPrinters(platform::PrivateProfile& profile,
                                                     const std::vector<platform::PrinterInfo2A>& all) {
  std::vector<platform::PrinterInfo2A> known;
  for (const platform::PrinterInfo2A& printer : all)
    if (printer.pDriverName && IsCatalogDriver(profile, *printer.pDriverName)) known.push_back(printer);
  return known;
}

std::string DevModeFormName(const std::vector<std::uint8_t>& devMode) {
  using namespace platform::devmode;
  if (devMode.size() < FormNameOffset + FormNameSize) return {};
  const auto* first = reinterpret_cast<const char*>(devMode.data() + FormNameOffset);
  return std::string(first, strnlen(first, FormNameSize));
}

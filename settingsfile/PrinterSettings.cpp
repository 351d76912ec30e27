#include "settingsfile/PrinterSettings.h"

#include <memory>

#include "settingsfile/DevModeRecord.h"

namespace settingsfile {
namespace {

using platform::DWORD;
using platform::LONG;
namespace winerr = platform::winerr;

constexpr const char* kDriverValue = "Printer Driver";
constexpr const char* kDevModeValue = "Default DevMode";
constexpr std::u16string_view kPrinterDataKey = u"PrinterDriverData";
constexpr std::u16string_view kFontTable = u"TTFontSubTable";
constexpr std::u16string_view kFontTableSize = u"TTFontSubTableSize";

std::string LoadProblem(LONG error) {
  switch (static_cast<DWORD>(error)) {
    case winerr::FileNotFound:
    case winerr::PathNotFound: return "the file does not exist";
    case winerr::NotRegistryFile: return "is not a registry hive file (a printer's settings saved in binary form)";
    case winerr::BadDb: return "is a damaged registry hive";
    default: return "cannot be loaded: error " + std::to_string(error);
  }
}

// A value the key lacks, or cannot give.
std::string Missing(const char* value, LONG error) {
  if (error != 0 && error != static_cast<LONG>(winerr::FileNotFound))
    return std::string("its \"") + value + "\" value cannot be read: error " + std::to_string(error);
  return std::string("holds no printer's settings: it has no \"") + value + "\" value";
}

std::string ReadPrinterData(platform::RegistryKey& root, std::vector<PrinterDataEntry>& entries) {
  std::unique_ptr<platform::RegistryKey> key;
  const LONG opened = root.OpenSubKeyW(std::u16string(kPrinterDataKey), platform::regaccess::Read, key);
  // A printer that never had printer data written may have no such key.
  if (opened == static_cast<LONG>(winerr::FileNotFound)) return {};
  if (opened != 0 || !key) return "its printer data cannot be read: error " + std::to_string(opened);
  for (DWORD index = 0;; ++index) {
    PrinterDataEntry entry;
    const LONG read = key->EnumValueW(index, entry.name, entry.type, entry.data);
    if (read == static_cast<LONG>(winerr::NoMoreItems)) break;
    if (read != 0) return "its printer data cannot be read: error " + std::to_string(read);
    if (index >= kMaxDataValues) return "holds more than " + std::to_string(kMaxDataValues) + " printer data values";
    if (entry.data.size() > kMaxDataValueBytes) return "holds a printer data value larger than 1 MiB";
    entries.push_back(std::move(entry));
  }
  return {};
}

const PrinterDataEntry* Find(const std::vector<PrinterDataEntry>& entries, std::u16string_view name) {
  for (const PrinterDataEntry& entry : entries)
    if (entry.name == name) return &entry;
  return nullptr;
}

// The plug-in stores the table's text length in units beside the table, whose stored form adds two
// terminating units; a file in which they disagree was saved from a printer whose table is broken.
bool FontTableConsistent(const std::vector<PrinterDataEntry>& entries) {
  const PrinterDataEntry* table = Find(entries, kFontTable);
  const PrinterDataEntry* size = Find(entries, kFontTableSize);
  if (!table || !size) return true;
  if (size->type != platform::regtype::Dword || size->data.size() != 4) return false;
  const std::uint64_t units = size->data[0] | size->data[1] << 8 | size->data[2] << 16 |
                              static_cast<std::uint64_t>(size->data[3]) << 24;
  return (units + 2) * 2 == table->data.size();
}

}  // namespace

std::string ReadPrinterSettings(platform::Registry& registry, const std::u16string& file, PrinterSettings& settings) {
  settings = {};
  std::unique_ptr<platform::RegistryKey> root;
  if (const LONG error = registry.LoadAppKeyW(file, platform::regaccess::Read, root)) return LoadProblem(error);
  if (!root) return LoadProblem(static_cast<LONG>(winerr::InvalidHandle));

  DWORD type = 0;
  std::vector<std::uint8_t> data;
  LONG read = root->QueryValue(kDriverValue, type, data);
  if (read == 0 && type == platform::regtype::Sz) settings.driverName = platform::RegSzText(data);
  if (settings.driverName.empty()) return Missing(kDriverValue, read);
  read = root->QueryValue(kDevModeValue, type, data);
  if (read != 0 || type != platform::regtype::Binary) return Missing(kDevModeValue, read);
  const auto devMode = AnsiDevMode(data);
  if (!devMode) return std::string("its \"") + kDevModeValue + "\" is not a device mode";
  settings.devMode = *devMode;

  if (std::string problem = ReadPrinterData(*root, settings.printerData); !problem.empty()) return problem;
  if (!FontTableConsistent(settings.printerData))
    return "its font substitution table and the table's stored size disagree";
  return {};
}

}  // namespace settingsfile

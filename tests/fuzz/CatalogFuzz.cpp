// The catalog readers on a KvxIns.ini made of the bytes, read through the simulated profile functions.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/CPrinterModelDlg.h"
#include "engine/Catalog.h"
#include "platform/Windows1252.h"
#include "platform/sim/SimProfile.h"
#include "fuzz/FuzzFolder.h"
#include "support/ForwardingServices.h"

namespace {

// The catalog is on the media drive, the current folder; here it is on C: so that the fuzzer's own
// relative names stay valid.
class OnDriveC : public fakes::ForwardingProfile {
public:
  using ForwardingProfile::ForwardingProfile;
  DWORD GetPrivateProfileSectionA(const std::string& section, std::vector<char>& buffer,
                                  const std::string& fileName) override {
    return inner_.GetPrivateProfileSectionA(section, buffer, Moved(fileName));
  }
  DWORD GetPrivateProfileStringA(const std::string& section, const std::string& key, const std::string& defaultValue,
                                 std::vector<char>& buffer, const std::string& fileName) override {
    return inner_.GetPrivateProfileStringA(section, key, defaultValue, buffer, Moved(fileName));
  }

private:
  static std::string Moved(const std::string& fileName) {
    return fileName == kCatalogFile ? "C:\\KvxIns.ini" : fileName;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzztest::FuzzFolder folder("catalog");
  static const platform::sim::MachineConfig config;
  static const auto faults = std::make_shared<platform::sim::FaultInjector>();
  static platform::sim::SimProfile simProfile({}, folder.path / "drive_c", faults, config);
  static OnDriveC profile(simProfile);
  std::ofstream(folder.path / "drive_c" / "KvxIns.ini", std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

  const std::vector<std::string> decorated = ReadSupportedPrinters(profile, true);
  for (const CatalogEntry& entry : ReadCatalogEntries(profile)) {
    if (entry.name.empty()) std::abort();
    // The model dialog finds each model's own flags, whatever its name holds.
    if (CPrinterModelDlg::WidthMaskFor(decorated, entry.name) != entry.flags) std::abort();
    // What reaches a terminal holds no control character, C1 ones (U+0080..U+009F) included.
    const std::string shown = platform::AnsiToPrintableUtf8(entry.name);
    for (std::size_t i = 0; i < shown.size(); ++i) {
      const auto c = static_cast<unsigned char>(shown[i]);
      if (c < 0x20 || c == 0x7F || (c == 0xC2 && i + 1 < shown.size() && (shown[i + 1] & 0xE0) == 0x80)) std::abort();
    }
    (void)IsOstrelModel(profile, entry.name);
    for (int kind = kSerialInterface; kind <= kEthernetInterface; ++kind)
      (void)IsInterfaceSupported(profile, entry.name, kind);
    (void)ReadCatalogValue(profile, entry.name, "Driver", "");
  }
  return 0;
}

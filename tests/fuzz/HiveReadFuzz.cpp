// A hive file that a key is restored from, or that a printer takes its settings from, comes from the
// user. Reading any bytes stays within the file and ends, and whatever reads as keys is written and
// read back the same; settings read from it keep within their bounds and leave nothing open.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/Windows1252.h"
#include "platform/sim/RegistryDump.h"
#include "platform/sim/RegistryHive.h"
#include "platform/sim/SimMachine.h"
#include "settingsfile/DevModeRecord.h"
#include "settingsfile/PrinterSettings.h"

namespace {

namespace sim = platform::sim;

// The bytes as a file that has no name on disk, reached through /proc.
class MemoryFile {
public:
  MemoryFile() : fd_(memfd_create("hive", 0)) {
    if (fd_ < 0) std::abort();
  }
  ~MemoryFile() { close(fd_); }
  std::string Fill(const void* data, std::size_t size) const {
    if (ftruncate(fd_, 0) != 0 || pwrite(fd_, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    return "/proc/self/fd/" + std::to_string(fd_);
  }

private:
  int fd_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const MemoryFile file;
  static const std::unique_ptr<sim::SimMachine> machine = sim::SimMachine::InMemory();
  const std::string path = file.Fill(data, size);
  std::string windowsName = "Z:" + path;
  for (char& c : windowsName)
    if (c == '/') c = '\\';
  settingsfile::PrinterSettings settings;
  if (settingsfile::ReadPrinterSettings(machine->registry(), platform::AnsiToUtf16(windowsName), settings).empty()) {
    if (settings.printerData.size() > settingsfile::kMaxDataValues) std::abort();
    for (const auto& value : settings.printerData)
      if (value.data.size() > settingsfile::kMaxDataValueBytes) std::abort();
    if (settingsfile::DevModeForPrinter(settings.devMode, "P").size() != settings.devMode.size()) std::abort();
  }
  if (machine->handles().OpenCount() != 0) std::abort();
  std::shared_ptr<sim::RegNode> read;
  if (sim::ReadHive(path, sim::kMaxKeyDepth, read) != 0) return 0;
  const std::vector<std::uint8_t> written = sim::WriteHive(*read, 0);
  std::shared_ptr<sim::RegNode> again;
  if (sim::ReadHive(file.Fill(written.data(), written.size()), sim::kMaxKeyDepth, again) != 0) std::abort();
  if (simtest::DumpKey(*again) != simtest::DumpKey(*read)) std::abort();
  return 0;
}

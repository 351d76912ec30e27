// A hive file that a key is restored from comes from the user. Reading any bytes stays within the
// file and ends, and whatever reads as keys is written and read back the same.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/sim/RegistryDump.h"
#include "platform/sim/RegistryHive.h"

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
  std::shared_ptr<sim::RegNode> read;
  if (sim::ReadHive(file.Fill(data, size), sim::kMaxKeyDepth, read) != 0) return 0;
  const std::vector<std::uint8_t> written = sim::WriteHive(*read, 0);
  std::shared_ptr<sim::RegNode> again;
  if (sim::ReadHive(file.Fill(written.data(), written.size()), sim::kMaxKeyDepth, again) != 0) std::abort();
  if (simtest::DumpKey(*again) != simtest::DumpKey(*read)) std::abort();
  return 0;
}

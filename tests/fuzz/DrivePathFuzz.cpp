// The simulated drives' path mapping on a Windows name made of the bytes, in a scratch machine folder
// with symbolic links on C: that stay inside it, lead out of it and lead nowhere: the host path is
// inside drive_c/ (C:) or the media folder (D:, the current directory, left as it is so that libFuzzer
// finds its corpus), or the name is refused.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/sim/HostPath.h"
#include "fuzz/FuzzFolder.h"

namespace {

namespace fs = std::filesystem;

struct Folders {
  Folders() : scratch("drive") {
    root = scratch.path;
    driveC = root / "drive_c";
    media = fs::canonical(fs::current_path());
    fs::create_directories(driveC / "Windows" / "System32");
    fs::create_directories(root / "outside");
    fs::create_symlink(driveC / "Windows", driveC / "Inside");
    fs::create_symlink(root / "outside", driveC / "Out");
    fs::create_symlink("../../outside", driveC / "Windows" / "Up");
    fs::create_symlink(root / "nowhere", driveC / "Dangling");
  }
  fuzztest::FuzzFolder scratch;
  fs::path root, driveC, media;
};

// Whether `path`, with every link that exists resolved, lies within `folder`. A path the host cannot
// look at (a part longer than its name limit) is judged by its spelling: no call reaches it either.
bool Within(const fs::path& path, const fs::path& folder) {
  std::error_code ec;
  fs::path resolved = fs::weakly_canonical(path, ec);
  if (ec) resolved = path.lexically_normal();
  const fs::path relative = resolved.lexically_relative(folder);
  return !relative.empty() && *relative.begin() != "..";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Folders folders;
  const std::string_view name(reinterpret_cast<const char*>(data), size);
  const auto host = platform::sim::HostPath(name, folders.driveC);
  // Drive Z: is the host's own file system: every name there is somewhere.
  const auto full = platform::sim::FullWindowsPath(name);
  const bool hostDrive = full && full->size() > 1 && (*full)[1] == ':' && ((*full)[0] | 0x20) == 'z';
  if (host && !hostDrive && !Within(*host, folders.driveC) && !Within(*host, folders.media)) std::abort();
  // The host's calls would stop at a NUL, somewhere else than the name says.
  if (host && name.find('\0') != std::string_view::npos) std::abort();
  return 0;
}

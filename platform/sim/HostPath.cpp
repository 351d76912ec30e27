#include "platform/sim/HostPath.h"

#include <string>

#include "platform/sim/Text.h"

namespace platform::sim {
namespace {

std::string Slashed(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

std::string_view WithoutLeadingSeparators(std::string_view name) {
  while (!name.empty() && (name.front() == '\\' || name.front() == '/')) name.remove_prefix(1);
  return name;
}

// Windows file names ignore case: each component takes the spelling of an existing entry, so
// "C:\WINDOWS\system32" is the machine's "C:\Windows\System32". New names keep theirs.
std::filesystem::path MatchExistingCase(const std::filesystem::path& base, std::string_view relative) {
  namespace fs = std::filesystem;
  fs::path path = base;
  for (const fs::path& part : fs::path(Slashed(relative))) {
    const std::string name = part.string();
    std::error_code ec;
    if (name.empty() || name == "." || name == ".." || fs::exists(path / part, ec)) {
      path /= part;
      continue;
    }
    fs::path match = part;
    for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
      if (EqualNoCase(it->path().filename().string(), name)) {
        match = it->path().filename();
        break;
      }
    }
    path /= match;
  }
  return path;
}

}  // namespace

std::optional<std::filesystem::path> HostPath(std::string_view windowsName, const std::filesystem::path& driveC) {
  if (windowsName.empty()) return std::nullopt;
  if (windowsName.size() >= 2 && windowsName[1] == ':') {
    if (windowsName[0] != 'C' && windowsName[0] != 'c') return std::nullopt;
    return MatchExistingCase(driveC, WithoutLeadingSeparators(windowsName.substr(2)));
  }
  if (windowsName.substr(0, 2) == "\\\\" || windowsName.substr(0, 2) == "//") return std::nullopt;
  if (windowsName.front() == '\\') return MatchExistingCase(driveC, WithoutLeadingSeparators(windowsName));
  if (windowsName.front() == '/') return std::filesystem::path(std::string(windowsName));
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  if (ec) return std::nullopt;
  return MatchExistingCase(cwd, windowsName);
}

}  // namespace platform::sim

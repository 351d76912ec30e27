#include "platform/sim/HostPath.h"

#include <string>

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

}  // namespace

std::optional<std::filesystem::path> HostPath(std::string_view windowsName, const std::filesystem::path& driveC) {
  if (windowsName.empty()) return std::nullopt;
  if (windowsName.size() >= 2 && windowsName[1] == ':') {
    if (windowsName[0] != 'C' && windowsName[0] != 'c') return std::nullopt;
    return driveC / Slashed(WithoutLeadingSeparators(windowsName.substr(2)));
  }
  if (windowsName.substr(0, 2) == "\\\\" || windowsName.substr(0, 2) == "//") return std::nullopt;
  if (windowsName.front() == '\\') return driveC / Slashed(WithoutLeadingSeparators(windowsName));
  if (windowsName.front() == '/') return std::filesystem::path(std::string(windowsName));
  std::error_code ec;
  const std::filesystem::path cwd = std::filesystem::current_path(ec);
  if (ec) return std::nullopt;
  return cwd / Slashed(windowsName);
}

}  // namespace platform::sim

#include "platform/sim/HostPath.h"

#include <string>
#include <vector>

#include "platform/sim/Text.h"

namespace platform::sim {
namespace fs = std::filesystem;
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::vector<std::string_view> Split(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && !IsSeparator(text[i])) continue;
    if (i > start) parts.push_back(text.substr(start, i - start));
    start = i + 1;
  }
  return parts;
}

// The parts below a root once "." and ".." are resolved; ".." at the root stays there.
std::vector<std::string_view> Resolve(std::string_view below) {
  std::vector<std::string_view> parts;
  for (std::string_view part : Split(below)) {
    if (part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  return parts;
}

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

// A symbolic link may stand inside a drive's folder as long as it leads to a place inside it.
bool LeadsInto(const fs::path& link, const fs::path& realRoot) {
  std::error_code ec;
  const fs::path target = fs::canonical(link, ec);
  if (ec) return false;  // a dangling link: where a write through it would land is unknown
  const fs::path relative = target.lexically_relative(realRoot);
  return !relative.empty() && *relative.begin() != "..";
}

// Host file names are UTF-8; the machine's are Windows-1252 and ignore case, so each part takes
// the spelling of an existing entry ("C:\WINDOWS\system32" is the machine's "C:\Windows\System32").
// New names keep theirs.
std::optional<fs::path> InsideFolder(const fs::path& root, std::string_view below) {
  std::error_code ec;
  fs::path realRoot = fs::canonical(root, ec);
  if (ec) realRoot = root;
  fs::path path = root;
  for (std::string_view part : Split(below)) {
    fs::path match = AnsiToUtf8(part);
    if (!Exists(path / match)) {
      for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
        if (EqualNoCase(Utf8ToAnsiLossy(it->path().filename().string()), part)) {
          match = it->path().filename();
          break;
        }
      }
    }
    path /= match;
    if (fs::is_symlink(fs::symlink_status(path, ec)) && !LeadsInto(path, realRoot)) return std::nullopt;
  }
  return path;
}

}  // namespace

std::optional<std::string> FullWindowsPath(std::string_view name) {
  if (name.empty() || name.find('\0') != std::string_view::npos) return std::nullopt;
  std::string root;
  std::string_view below = name;
  if (name.size() >= 2 && IsSeparator(name[0]) && IsSeparator(name[1])) {
    // "\\server\share" is the root of a network name, as a drive is of a local one.
    const std::vector<std::string_view> share = Split(name);
    root = "\\";
    for (std::size_t i = 0; i < share.size() && i < 2; ++i) root += "\\" + std::string(share[i]);
    below = {};
    if (share.size() > 2) below = name.substr(static_cast<std::size_t>(share[2].data() - name.data()));
  } else if (name.size() >= 2 && name[1] == ':' && IsLetter(name[0])) {
    // Every drive's current directory is its root.
    root = name.substr(0, 2);
    below = name.substr(2);
  } else {
    root = IsSeparator(name[0]) ? std::string("C:") : std::string{kMediaDrive, ':'};
  }
  const std::vector<std::string_view> parts = Resolve(below);
  std::string full = root;
  for (std::string_view part : parts) (full += '\\') += part;
  if (parts.empty() && root.size() == 2) full += '\\';
  return full;
}

std::optional<fs::path> HostPath(std::string_view windowsName, const fs::path& driveC) {
  const auto full = FullWindowsPath(windowsName);
  if (!full || full->size() < 2 || (*full)[1] != ':') return std::nullopt;
  const auto drive = static_cast<char>(FoldUpper(static_cast<unsigned char>((*full)[0])));
  const std::string_view below = std::string_view(*full).substr(2);
  if (drive == 'C') return InsideFolder(driveC, below);
  if (drive == kHostDrive) return InsideFolder("/", below);
  if (drive != kMediaDrive) return std::nullopt;
  std::error_code ec;
  const fs::path media = fs::current_path(ec);
  if (ec) return std::nullopt;
  return InsideFolder(media, below);
}

DWORD ResolveHostPath(std::string_view windowsName, const fs::path& driveC, fs::path& host) {
  if (windowsName.find('\0') != std::string_view::npos) return winerr::InvalidName;
  auto found = HostPath(windowsName, driveC);
  if (!found) return winerr::PathNotFound;
  host = std::move(*found);
  return winerr::Success;
}

}  // namespace platform::sim

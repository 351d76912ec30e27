#include "platform/sim/SimProfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <optional>
#include <string>

#include "platform/sim/HostPath.h"
#include "platform/sim/IniFile.h"
#include "platform/sim/Text.h"

namespace platform::sim {
namespace {

constexpr const char* kSystemProfile = "C:\\Windows\\win.ini";

enum class FileState { Read, Missing, Unopenable };

// The bytes of a regular file of at most kMaxProfileFileSize; none for anything else. The folders
// are outside input: a FIFO would block the open and /dev/zero never end. The file is opened
// without blocking and checked after the open, so nothing swapped in between can do either.
std::optional<std::string> ReadProfileFile(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  bool usable = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  std::string bytes;
  char chunk[65536];
  // A file that grows past the bound while it is read is refused all the same.
  while (usable && bytes.size() <= kMaxProfileFileSize) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      usable = n == 0;
      break;
    }
    bytes.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (!usable || bytes.size() > kMaxProfileFileSize) return std::nullopt;
  return bytes;
}

// A file that does not exist reads as empty; one that cannot be opened at all (no such folder,
// a folder, no permission) or read (not a regular file, too large) makes the calls answer without
// looking at profile data.
FileState Load(const std::string& fileName, const std::filesystem::path& driveC, IniDocument& doc) {
  std::string name(UpToNul(fileName));
  // Like Windows, a bare name means a file of the Windows directory, not of the current one.
  if (name.find_first_of("\\/:") == std::string::npos) name = "C:\\Windows\\" + name;
  const auto path = HostPath(name, driveC);
  if (!path) return FileState::Unopenable;
  std::error_code ec;
  const auto status = std::filesystem::status(*path, ec);
  if (status.type() == std::filesystem::file_type::not_found) {
    return std::filesystem::is_directory(path->parent_path(), ec) ? FileState::Missing : FileState::Unopenable;
  }
  if (ec) return FileState::Unopenable;
  const auto bytes = ReadProfileFile(*path);
  if (!bytes) return FileState::Unopenable;
  doc = ParseProfile(DecodeProfileBytes(*bytes));
  return FileState::Read;
}

// Trailing spaces (only spaces) of a default are dropped, but never its first character.
std::string_view TrimDefault(std::string_view text) {
  while (text.size() > 1 && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Copies `text` into the caller's buffer (size > 0) as far as it fits, NUL-terminated; with
// `unquote`, a value enclosed in matching single or double quotes loses them, as Windows does.
// When the text without its opening quote just fills the buffer the last copied character is
// dropped too: that is what the Windows functions (as Wine implements them) answer.
DWORD CopyEntry(std::string_view text, bool unquote, std::vector<char>& buffer) {
  bool quoted = false;
  if (unquote && text.size() >= 2 && (text.front() == '\'' || text.front() == '"') && text.back() == text.front()) {
    quoted = true;
    text.remove_prefix(1);
  }
  std::size_t copied = std::min(text.size(), buffer.size() - 1);
  std::copy_n(text.begin(), copied, buffer.begin());
  buffer[copied] = '\0';
  if (quoted && buffer.size() >= text.size() && copied > 0) buffer[--copied] = '\0';
  return static_cast<DWORD>(copied);
}

}  // namespace

SimProfile::SimProfile(MachineLock lock, std::filesystem::path driveC, std::shared_ptr<FaultInjector> faults,
                       const MachineConfig& config)
    : lock_(std::move(lock)), driveC_(std::move(driveC)), faults_(std::move(faults)), access_(config, driveC_) {}

DWORD SimProfile::GetPrivateProfileStringA(const std::string& section, const std::string& key,
                                           const std::string& defaultValue, std::vector<char>& buffer,
                                           const std::string& fileName) {
  const auto held = lock_.Hold();
  const bool fault = faults_->Check("GetPrivateProfileStringA") != winerr::Success;
  if (buffer.empty()) return 0;
  const std::string_view fallback = TrimDefault(UpToNul(defaultValue));
  IniDocument doc;
  const FileState state = fault ? FileState::Missing : Load(fileName, driveC_, doc);
  if (state == FileState::Unopenable) return CopyEntry(fallback, false, buffer);
  const IniEntry* entry = FindProfileEntry(doc, section, key);
  return CopyEntry(entry && entry->value ? UpToNul(*entry->value) : fallback, true, buffer);
}

DWORD SimProfile::GetPrivateProfileSectionA(const std::string& section, std::vector<char>& buffer,
                                            const std::string& fileName) {
  return ReadSection("GetPrivateProfileSectionA", section, buffer, fileName);
}

DWORD SimProfile::GetProfileSectionA(const std::string& section, std::vector<char>& buffer) {
  return ReadSection("GetProfileSectionA", section, buffer, kSystemProfile);
}

DWORD SimProfile::WriteProfileStringA(const std::string& section, const std::string& key, const std::string& value) {
  const auto held = lock_.Hold();
  if (const DWORD error = faults_->Check("WriteProfileStringA")) return error;
  const auto path = HostPath(kSystemProfile, driveC_);
  if (!path) return winerr::PathNotFound;
  if (const DWORD refused = access_.Check(*path, FileAccess::Change::Overwrite)) return refused;
  std::error_code ec;
  std::filesystem::create_directories(path->parent_path(), ec);
  std::string bytes;
  if (std::filesystem::exists(std::filesystem::symlink_status(*path, ec))) {
    auto read = ReadProfileFile(*path);
    if (!read) return winerr::AccessDenied;
    bytes = std::move(*read);
  }
  std::ofstream out(*path, std::ios::binary | std::ios::trunc);
  out << SetProfileEntry(bytes, UpToNul(section), UpToNul(key), UpToNul(value));
  return out.flush() ? winerr::Success : winerr::AccessDenied;
}

DWORD SimProfile::ReadSection(std::string_view op, const std::string& section, std::vector<char>& buffer,
                              const std::string& fileName) {
  const auto held = lock_.Hold();
  const bool fault = faults_->Check(op) != winerr::Success;
  const std::size_t size = buffer.size();
  if (size == 0) return 0;
  IniDocument doc;
  const FileState state = fault ? FileState::Missing : Load(fileName, driveC_, doc);
  const std::string listing = state == FileState::Read ? ListProfileSection(doc, section) : std::string();

  if (listing.empty() || size <= 2) {
    std::fill_n(buffer.begin(), std::min<std::size_t>(size, 2), '\0');
    return 0;
  }
  // The listing plus its final NUL must fit with room to spare; otherwise the last entry is cut
  // and the buffer ends in two NULs.
  if (listing.size() + 1 >= size) {
    std::copy_n(listing.begin(), size - 2, buffer.begin());
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return static_cast<DWORD>(size - 2);
  }
  std::copy(listing.begin(), listing.end(), buffer.begin());
  buffer[listing.size()] = '\0';
  return static_cast<DWORD>(listing.size());
}

}  // namespace platform::sim

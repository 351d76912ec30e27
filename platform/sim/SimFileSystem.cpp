#include "platform/sim/SimFileSystem.h"

#include <cstdio>
#include <fstream>
#include <optional>

#include "platform/Windows1252.h"
#include "platform/sim/HostPath.h"

namespace platform::sim {
namespace fs = std::filesystem;

namespace {

constexpr auto kWriteBits = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

bool IsReadOnly(const fs::path& file) {
  std::error_code ec;
  const auto status = fs::status(file, ec);
  return !ec && (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

void SetReadOnly(const fs::path& file, bool readOnly) {
  std::error_code ec;
  if (readOnly) {
    fs::permissions(file, kWriteBits, fs::perm_options::remove, ec);
  } else {
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add, ec);
  }
}

// Where a missing file would be: 3 when its folder is missing too, else 2.
DWORD MissingError(const fs::path& file) {
  std::error_code ec;
  return fs::is_directory(file.parent_path(), ec) ? winerr::FileNotFound : winerr::PathNotFound;
}

std::optional<FileVersion> ParseVersionLine(const std::string& line) {
  constexpr std::string_view kTag = "KVXVERSION ";
  if (line.compare(0, kTag.size(), kTag) != 0) return std::nullopt;
  unsigned a = 0, b = 0, c = 0, d = 0;
  char tail = 0;
  if (std::sscanf(line.c_str() + kTag.size(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) < 4) return std::nullopt;
  if (tail != 0 && tail != '\r' && tail != ' ') return std::nullopt;
  if (a > 0xFFFF || b > 0xFFFF || c > 0xFFFF || d > 0xFFFF) return std::nullopt;
  return FileVersion{(a << 16) | b, (c << 16) | d};
}

}  // namespace

SimFileSystem::SimFileSystem(MachineLock lock, fs::path driveC, std::shared_ptr<FaultInjector> faults,
                             const FileAccess& access)
    : lock_(std::move(lock)), driveC_(std::move(driveC)), faults_(std::move(faults)), access_(access) {}

DWORD SimFileSystem::GetSystemDirectoryA(std::string& directory) {
  const auto held = lock_.Hold();
  if (const DWORD error = faults_->Check("GetSystemDirectoryA")) return error;
  std::error_code ec;
  fs::create_directories(*HostPath(kSystemDirectory, driveC_), ec);
  directory = kSystemDirectory;
  return winerr::Success;
}

DWORD SimFileSystem::GetFullPathNameA(const std::string& name, DWORD bufferSize, std::string& path, DWORD& required) {
  const auto held = lock_.Hold();
  path.clear();
  required = 0;
  if (const DWORD error = faults_->Check("GetFullPathNameA")) return error;
  // Only the name is looked at, never the files, as on Windows.
  auto full = FullWindowsPath(name);
  if (!full) return winerr::InvalidName;
  required = static_cast<DWORD>(full->size() + 1);
  if (bufferSize < required) return winerr::Success;
  path = std::move(*full);
  return winerr::Success;
}

DWORD SimFileSystem::CopyFileA(const std::string& existing, const std::string& target, bool failIfExists) {
  const auto held = lock_.Hold();
  if (const DWORD error = faults_->Check("CopyFileA")) return error;
  fs::path from, to;
  if (const DWORD error = ResolveHostPath(existing, driveC_, from)) return error;
  if (const DWORD error = ResolveHostPath(target, driveC_, to)) return error;
  std::error_code ec;
  if (!fs::is_regular_file(from, ec)) {
    return fs::is_directory(from, ec) ? winerr::AccessDenied : MissingError(from);
  }
  if (!fs::is_directory(to.parent_path(), ec)) return winerr::PathNotFound;
  if (fs::exists(to, ec)) {
    if (failIfExists) return winerr::FileExists;
    if (fs::is_directory(to, ec) || IsReadOnly(to)) return winerr::AccessDenied;
  }
  if (const DWORD error = access_.Check(to, FileAccess::Change::Overwrite)) return error;
  if (fs::equivalent(from, to, ec)) return winerr::SharingViolation;
  if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec)) return winerr::AccessDenied;
  // Windows gives the copy the source's attributes.
  SetReadOnly(to, IsReadOnly(from));
  return winerr::Success;
}

DWORD SimFileSystem::GetFileAttributesA(const std::string& name, DWORD& attributes) {
  const auto held = lock_.Hold();
  attributes = fileattr::Invalid;
  if (const DWORD error = faults_->Check("GetFileAttributesA")) return error;
  fs::path host;
  if (const DWORD error = ResolveHostPath(name, driveC_, host)) return error;
  std::error_code ec;
  const auto status = fs::status(host, ec);
  if (ec || !fs::exists(status)) return MissingError(host);
  DWORD value = fs::is_directory(status) ? fileattr::Directory : fileattr::Archive;
  if (IsReadOnly(host)) value |= fileattr::ReadOnly;
  attributes = value;
  return winerr::Success;
}

DWORD SimFileSystem::SetFileAttributesA(const std::string& name, DWORD attributes) {
  const auto held = lock_.Hold();
  if (const DWORD error = faults_->Check("SetFileAttributesA")) return error;
  fs::path host;
  if (const DWORD error = ResolveHostPath(name, driveC_, host)) return error;
  std::error_code ec;
  if (!fs::exists(host, ec)) return MissingError(host);
  if (const DWORD error = access_.Check(host, FileAccess::Change::Attributes)) return error;
  SetReadOnly(host, (attributes & fileattr::ReadOnly) != 0);
  return winerr::Success;
}

DWORD SimFileSystem::DeleteFileA(const std::string& name) {
  const auto held = lock_.Hold();
  if (const DWORD error = faults_->Check("DeleteFileA")) return error;
  return Delete(name);
}

DWORD SimFileSystem::DeleteFileW(const std::u16string& name) {
  const auto held = lock_.Hold();
  if (const DWORD error = faults_->Check("DeleteFileW")) return error;
  const auto ansi = Utf16ToAnsi(name);
  return ansi ? Delete(*ansi) : winerr::InvalidName;
}

DWORD SimFileSystem::MoveFileExW(const std::u16string& existing, const std::u16string& target, DWORD flags) {
  const auto held = lock_.Hold();
  if (const DWORD error = faults_->Check("MoveFileExW")) return error;
  const auto fromName = Utf16ToAnsi(existing);
  const auto toName = Utf16ToAnsi(target);
  if (!fromName || !toName) return winerr::InvalidName;
  fs::path from, to;
  if (const DWORD error = ResolveHostPath(*fromName, driveC_, from)) return error;
  if (const DWORD error = ResolveHostPath(*toName, driveC_, to)) return error;
  std::error_code ec;
  if (!fs::exists(from, ec)) return MissingError(from);
  if (!fs::is_directory(to.parent_path(), ec)) return winerr::PathNotFound;
  if (fs::exists(to, ec) && !fs::equivalent(from, to, ec)) {
    if ((flags & movefile::ReplaceExisting) == 0) return winerr::AlreadyExists;
    if (fs::is_directory(to, ec) || fs::is_directory(from, ec) || IsReadOnly(to)) return winerr::AccessDenied;
    if (const DWORD error = access_.Check(to, FileAccess::Change::Overwrite)) return error;
  }
  if (const DWORD error = access_.Check(from, FileAccess::Change::Delete)) return error;
  // rename(2) replaces the target in one step, as Windows does within a volume.
  fs::rename(from, to, ec);
  return ec ? winerr::AccessDenied : winerr::Success;
}

DWORD SimFileSystem::Delete(const std::string& name) {
  fs::path host;
  if (const DWORD error = ResolveHostPath(name, driveC_, host)) return error;
  std::error_code ec;
  const auto status = fs::status(host, ec);
  if (ec || !fs::exists(status)) return MissingError(host);
  if (fs::is_directory(status) || IsReadOnly(host)) return winerr::AccessDenied;
  if (const DWORD error = access_.Check(host, FileAccess::Change::Delete)) return error;
  if (!fs::remove(host, ec)) return winerr::AccessDenied;
  return winerr::Success;
}

DWORD SimFileSystem::AppendToFileA(const std::string& name, std::string_view bytes) {
  const auto held = lock_.Hold();
  if (const DWORD error = faults_->Check("AppendToFileA")) return error;
  fs::path host;
  if (const DWORD error = ResolveHostPath(name, driveC_, host)) return error;
  std::error_code ec;
  if (!fs::is_directory(host.parent_path(), ec)) return winerr::PathNotFound;
  if (fs::is_directory(host, ec) || (fs::exists(host, ec) && IsReadOnly(host))) return winerr::AccessDenied;
  if (const DWORD error = access_.Check(host, FileAccess::Change::Overwrite)) return error;
  std::ofstream out(host, std::ios::binary | std::ios::app);
  if (!out) return winerr::AccessDenied;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return out ? winerr::Success : winerr::AccessDenied;
}

DWORD SimFileSystem::GetFileVersionA(const std::string& name, FileVersion& version) {
  const auto held = lock_.Hold();
  version = FileVersion{};
  if (const DWORD error = faults_->Check("GetFileVersionA")) return error;
  fs::path host;
  if (const DWORD error = ResolveHostPath(name, driveC_, host)) return error;
  std::error_code ec;
  if (!fs::is_regular_file(host, ec)) return MissingError(host);
  std::ifstream in(host, std::ios::binary);
  std::string line;
  std::getline(in, line);
  const auto found = ParseVersionLine(line);
  if (!found) return winerr::ResourceTypeNotFound;
  version = *found;
  return winerr::Success;
}

}  // namespace platform::sim

#include "platform/win32/Win32FileSystem.h"

#include <windows.h>

#include <vector>

namespace platform::win32 {

static_assert(fileattr::ReadOnly == FILE_ATTRIBUTE_READONLY && fileattr::Normal == FILE_ATTRIBUTE_NORMAL &&
              fileattr::Directory == FILE_ATTRIBUTE_DIRECTORY && fileattr::Invalid == INVALID_FILE_ATTRIBUTES);
static_assert(winerr::ResourceTypeNotFound == ERROR_RESOURCE_TYPE_NOT_FOUND);
static_assert(movefile::ReplaceExisting == MOVEFILE_REPLACE_EXISTING);

namespace {
DWORD LastErrorUnless(BOOL ok) { return ok ? ERROR_SUCCESS : ::GetLastError(); }
}  // namespace

DWORD Win32FileSystem::GetSystemDirectoryA(std::string& directory) {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    UINT length = ::GetSystemDirectoryA(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length == 0) return ::GetLastError();
    if (length < buffer.size()) {
      directory.assign(buffer.data(), length);
      return ERROR_SUCCESS;
    }
    buffer.resize(length);
  }
}

DWORD Win32FileSystem::GetFullPathNameA(const std::string& name, DWORD bufferSize, std::string& path,
                                        DWORD& required) {
  std::vector<char> buffer(bufferSize + 1);
  ::DWORD length = ::GetFullPathNameA(name.c_str(), bufferSize, buffer.data(), nullptr);
  path.clear();
  required = 0;
  if (length == 0) return ::GetLastError();
  // An answer that does not fit is the size the caller needs, NUL included.
  if (length >= bufferSize) {
    required = length;
    return ERROR_SUCCESS;
  }
  path.assign(buffer.data(), length);
  required = length;
  return ERROR_SUCCESS;
}

DWORD Win32FileSystem::CopyFileA(const std::string& existing, const std::string& target, bool failIfExists) {
  return LastErrorUnless(::CopyFileA(existing.c_str(), target.c_str(), failIfExists));
}

DWORD Win32FileSystem::GetFileAttributesA(const std::string& name, DWORD& attributes) {
  attributes = ::GetFileAttributesA(name.c_str());
  return attributes == INVALID_FILE_ATTRIBUTES ? ::GetLastError() : ERROR_SUCCESS;
}

DWORD Win32FileSystem::SetFileAttributesA(const std::string& name, DWORD attributes) {
  return LastErrorUnless(::SetFileAttributesA(name.c_str(), attributes));
}

DWORD Win32FileSystem::DeleteFileA(const std::string& name) { return LastErrorUnless(::DeleteFileA(name.c_str())); }

DWORD Win32FileSystem::DeleteFileW(const std::u16string& name) {
  return LastErrorUnless(::DeleteFileW(reinterpret_cast<LPCWSTR>(name.c_str())));
}

DWORD Win32FileSystem::MoveFileExW(const std::u16string& existing, const std::u16string& target, DWORD flags) {
  return LastErrorUnless(::MoveFileExW(reinterpret_cast<LPCWSTR>(existing.c_str()),
                                       reinterpret_cast<LPCWSTR>(target.c_str()), flags));
}

DWORD Win32FileSystem::AppendToFileA(const std::string& name, std::string_view bytes) {
  HANDLE file = ::CreateFileA(name.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return ::GetLastError();
  ::DWORD written = 0;
  const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<::DWORD>(bytes.size()), &written, nullptr);
  const DWORD error = LastErrorUnless(ok);
  ::CloseHandle(file);
  return error;
}

DWORD Win32FileSystem::GetFileVersionA(const std::string& name, FileVersion& version) {
  ::DWORD ignored = 0;
  ::DWORD size = ::GetFileVersionInfoSizeA(name.c_str(), &ignored);
  if (size == 0) return ::GetLastError();
  std::vector<std::uint64_t> block(size / 8 + 1);
  if (!::GetFileVersionInfoA(name.c_str(), 0, size, block.data())) return ::GetLastError();
  void* fixed = nullptr;
  UINT fixedSize = 0;
  if (!::VerQueryValueA(block.data(), "\\", &fixed, &fixedSize) || fixedSize < sizeof(VS_FIXEDFILEINFO))
    return ERROR_RESOURCE_TYPE_NOT_FOUND;
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
  version.fileVersionMS = info->dwFileVersionMS;
  version.fileVersionLS = info->dwFileVersionLS;
  return ERROR_SUCCESS;
}

}  // namespace platform::win32

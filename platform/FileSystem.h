#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Win32Types.h"

namespace platform {

namespace fileattr {
constexpr DWORD ReadOnly = 0x1;
constexpr DWORD Hidden = 0x2;
constexpr DWORD Directory = 0x10;
constexpr DWORD Archive = 0x20;
constexpr DWORD Normal = 0x80;
constexpr DWORD Invalid = 0xFFFFFFFF;  // INVALID_FILE_ATTRIBUTES
}  // namespace fileattr

namespace movefile {
constexpr DWORD ReplaceExisting = 0x1;  // MOVEFILE_REPLACE_EXISTING
}  // namespace movefile

// VS_FIXEDFILEINFO's file version.
struct FileVersion {
  DWORD fileVersionMS = 0;
  DWORD fileVersionLS = 0;
};

// The file operations the installer makes, with Windows path rules: "C:\..." is the machine's
// drive, a relative path is taken from the process's current directory.
class FileSystem {
public:
  virtual ~FileSystem() = default;
  // GetSystemDirectoryA ("C:\Windows\System32").
  [[nodiscard]] virtual DWORD GetSystemDirectoryA(std::string& directory) = 0;
  // GetFullPathNameA with a buffer of bufferSize characters: when the full path does not fit,
  // `path` is left empty and `required` tells the size needed (including the NUL).
  [[nodiscard]] virtual DWORD GetFullPathNameA(const std::string& name, DWORD bufferSize, std::string& path,
                                               DWORD& required) = 0;
  [[nodiscard]] virtual DWORD CopyFileA(const std::string& existing, const std::string& target, bool failIfExists) = 0;
  // fileattr::Invalid with the error in `error` when the file cannot be looked at.
  [[nodiscard]] virtual DWORD GetFileAttributesA(const std::string& name, DWORD& attributes) = 0;
  [[nodiscard]] virtual DWORD SetFileAttributesA(const std::string& name, DWORD attributes) = 0;
  [[nodiscard]] virtual DWORD DeleteFileA(const std::string& name) = 0;
  // CreateFileA(FILE_APPEND_DATA, no sharing, OPEN_ALWAYS) + WriteFile + CloseHandle: the bytes
  // at the end of the file, which is created when missing.
  [[nodiscard]] virtual DWORD AppendToFileA(const std::string& name, std::string_view bytes) = 0;
  // GetFileVersionInfoSizeA + GetFileVersionInfoA + VerQueryValueA("\\"): the fixed file version.
  // winerr::ResourceTypeNotFound (1813) for a file without version information.
  [[nodiscard]] virtual DWORD GetFileVersionA(const std::string& name, FileVersion& version) = 0;
  // The wide forms, for names that come from the user's file dialogs.
  [[nodiscard]] virtual DWORD DeleteFileW(const std::u16string& name) = 0;
  // MoveFileExW: with movefile::ReplaceExisting an existing file `target` is replaced (not a
  // directory or a read-only file: 5), in one step when both names are in one folder.
  [[nodiscard]] virtual DWORD MoveFileExW(const std::u16string& existing, const std::u16string& target,
                                          DWORD flags) = 0;
};

}  // namespace platform

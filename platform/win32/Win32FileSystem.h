#pragma once
#include "platform/FileSystem.h"

namespace platform::win32 {

class Win32FileSystem final : public FileSystem {
public:
  DWORD GetSystemDirectoryA(std::string& directory) override;
  DWORD GetFullPathNameA(const std::string& name, DWORD bufferSize, std::string& path, DWORD& required) override;
  DWORD CopyFileA(const std::string& existing, const std::string& target, bool failIfExists) override;
  DWORD GetFileAttributesA(const std::string& name, DWORD& attributes) override;
  DWORD SetFileAttributesA(const std::string& name, DWORD attributes) override;
  DWORD DeleteFileA(const std::string& name) override;
  DWORD AppendToFileA(const std::string& name, std::string_view bytes) override;
  DWORD GetFileVersionA(const std::string& name, FileVersion& version) override;
  DWORD DeleteFileW(const std::u16string& name) override;
  DWORD MoveFileExW(const std::u16string& existing, const std::u16string& target, DWORD flags) override;
};

}  // namespace platform::win32

#pragma once
// platform::FileSystem on the machine's files (see HostPath). A file is read-only while its host
// file lacks the owner's write permission; every file reports the archive bit. A file whose first
// line is "KVXVERSION a.b.c.d" carries that file version. Changes go through FileAccess: a standard
// user's writes under C:\Windows and changes of files in use are refused.
#include <filesystem>
#include <memory>

#include "platform/FileSystem.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/FileAccess.h"
#include "platform/sim/MachineLock.h"

namespace platform::sim {

class SimFileSystem : public FileSystem {
public:
  SimFileSystem(MachineLock lock, std::filesystem::path driveC, std::shared_ptr<FaultInjector> faults,
                const FileAccess& access);

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

  static constexpr const char* kSystemDirectory = "C:\\Windows\\System32";

private:
  DWORD Delete(const std::string& name);

  MachineLock lock_;
  std::filesystem::path driveC_;
  std::shared_ptr<FaultInjector> faults_;
  const FileAccess& access_;
};

}  // namespace platform::sim

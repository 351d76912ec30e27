#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

// The file system with a record of what a run adds to the error log, so that an unattended run can
// say why it failed: every call goes on to the real file system.
class ErrorLogWatch : public platform::FileSystem {
public:
  explicit ErrorLogWatch(platform::FileSystem& files) : files_(files) {}

  struct Line {
    std::string text;      // without its line end
    platform::DWORD error;  // of the append: nonzero when the log could not be written
  };
  std::vector<Line> Lines() const;

  platform::DWORD GetSystemDirectoryA(std::string& directory) override { return files_.GetSystemDirectoryA(directory); }
  platform::DWORD GetFullPathNameA(const std::string& name, platform::DWORD bufferSize, std::string& path,
                                   platform::DWORD& required) override {
    return files_.GetFullPathNameA(name, bufferSize, path, required);
  }
  platform::DWORD CopyFileA(const std::string& existing, const std::string& target, bool failIfExists) override {
    return files_.CopyFileA(existing, target, failIfExists);
  }
  platform::DWORD GetFileAttributesA(const std::string& name, platform::DWORD& attributes) override {
    return files_.GetFileAttributesA(name, attributes);
  }
  platform::DWORD SetFileAttributesA(const std::string& name, platform::DWORD attributes) override {
    return files_.SetFileAttributesA(name, attributes);
  }
  platform::DWORD DeleteFileA(const std::string& name) override { return files_.DeleteFileA(name); }
  platform::DWORD AppendToFileA(const std::string& name, std::string_view bytes) override;
  platform::DWORD GetFileVersionA(const std::string& name, platform::FileVersion& version) override {
    return files_.GetFileVersionA(name, version);
  }
  platform::DWORD DeleteFileW(const std::u16string& name) override { return files_.DeleteFileW(name); }
  platform::DWORD MoveFileExW(const std::u16string& existing, const std::u16string& target,
                              platform::DWORD flags) override {
    return files_.MoveFileExW(existing, target, flags);
  }

private:
  platform::FileSystem& files_;
  mutable std::mutex mutex_;  // the worker thread logs while the run goes on
  std::vector<Line> lines_;
};

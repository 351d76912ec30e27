#pragma once
// Which changes of the machine's files Windows refuses: a user without administrative rights may
// change nothing under C:\Windows (5), and a module that a running service has loaded can neither
// be overwritten (32) nor deleted (5). Its attributes can still be set.
#include <filesystem>
#include <functional>

#include "platform/Win32Types.h"
#include "platform/sim/MachineConfig.h"

namespace platform::sim {

class FileAccess {
public:
  enum class Change { Attributes, Overwrite, Delete };
  // Tells whether a running service holds the host file.
  using LoadedCheck = std::function<bool(const std::filesystem::path&)>;

  FileAccess(const MachineConfig& config, std::filesystem::path driveC);
  // Set once while the machine is put together, before any call.
  void SetLoadedCheck(LoadedCheck loaded) { loaded_ = std::move(loaded); }

  // 0, or the error Windows answers for that change of the host file (which may not exist yet).
  DWORD Check(const std::filesystem::path& hostFile, Change change) const;

private:
  bool UnderWindowsFolder(const std::filesystem::path& hostFile) const;

  const MachineConfig& config_;
  std::filesystem::path driveC_;
  LoadedCheck loaded_;
};

}  // namespace platform::sim

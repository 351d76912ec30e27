// The Windows build's distribution folder, through the real file and version functions.
#include "distribution/DistributionFolderChecks.h"

#include "platform/win32/Win32Platform.h"

platform::Platform& DistributionMachine() {
  static platform::win32::Win32Platform system;
  static platform::Platform os = system.platform();
  return os;
}

std::vector<std::string> BuiltFiles() { return {"KvxInstaller.exe", "WIN2KXP\\TolvUIRQ7K.dll"}; }

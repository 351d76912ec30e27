#pragma once
// The facts of the simulated machine that are plain settings (kept in machine.json).
// Change them between runs, not while the system is running on another thread.
#include <string>

#include "platform/ProcessInfo.h"
#include "platform/VersionInfo.h"

namespace platform::sim {

struct OsVersionConfig {
  // Windows 10 as a program without a compatibility manifest sees it.
  DWORD platformId = osplatform::Nt;
  DWORD major = 6;
  DWORD minor = 2;
  DWORD build = 9200;
  std::string csd;
  // Nonzero: GetVersionExA fails with this error.
  DWORD queryError = 0;
};

struct MachineConfig {
  OsVersionConfig os;
  LANGID uiLanguage = lang::EnglishUs;
  std::string programFile = "C:\\Program Files\\Korvex\\KvxInstaller.exe";
  DWORD startTick = 0;
};

}  // namespace platform::sim

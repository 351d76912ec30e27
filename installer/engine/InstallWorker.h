#pragma once
// The installation's worker thread: runs Install while the user-interface thread watches the
// progress and polls for the end.
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "engine/CommonInstaller.h"
#include "platform/Win32Types.h"

class InstallWorker {
public:
  // What ExitCode answers while the thread runs (STILL_ACTIVE).
  static constexpr platform::DWORD kStillActive = 259;

  // Starts Install on a new thread; the installer must outlive the worker.
  InstallWorker(CommonInstaller& installer, std::string printerName, std::int32_t printerType);
  // Waits for the thread: an installation is never abandoned half way.
  ~InstallWorker();
  InstallWorker(const InstallWorker&) = delete;
  InstallWorker& operator=(const InstallWorker&) = delete;

  bool Finished() const { return exitCode_.load() != kStillActive; }
  // 1 when the printer was installed, 0 when not; kStillActive while running.
  platform::DWORD ExitCode() const { return exitCode_.load(); }
  // Blocks until the thread has ended; its exit code.
  platform::DWORD Join();

private:
  std::atomic<platform::DWORD> exitCode_{kStillActive};
  std::thread thread_;
};

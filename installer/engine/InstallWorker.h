#pragma once
// The installation's worker thread: runs Install while the user-interface thread watches the
// progress and polls for the end.
#include <cstdint>
#include <memory>
#include <string>

#include "engine/CommonInstaller.h"
#include "platform/Threads.h"

class InstallWorker {
public:
  // What ExitCode answers while the thread runs (STILL_ACTIVE).
  static constexpr platform::DWORD kStillActive = platform::kStillActive;

  // Starts Install on a new thread of the installer's platform; the installer must outlive the
  // worker. The Win32 error when the thread cannot be created (out stays empty).
  [[nodiscard]] static platform::DWORD Start(CommonInstaller& installer, std::string printerName,
                                             std::int32_t printerType, std::unique_ptr<InstallWorker>& out);
  // Waits for the thread: an installation is never abandoned half way.
  ~InstallWorker() = default;
  InstallWorker(const InstallWorker&) = delete;
  InstallWorker& operator=(const InstallWorker&) = delete;

  // Waits up to `milliseconds` (real time on the simulated machine) for the end: true once ended.
  bool WaitFor(platform::DWORD milliseconds) { return thread_->WaitForSingleObject(milliseconds) == platform::waitresult::Object0; }
  bool Finished() { return WaitFor(0); }
  // 1 when the printer was installed, 0 when not; kStillActive while running.
  platform::DWORD ExitCode() { return thread_->GetExitCodeThread(); }
  // Blocks until the thread has ended; its exit code.
  platform::DWORD Join();

private:
  explicit InstallWorker(std::unique_ptr<platform::ThreadHandle> thread) : thread_(std::move(thread)) {}

  std::unique_ptr<platform::ThreadHandle> thread_;
};

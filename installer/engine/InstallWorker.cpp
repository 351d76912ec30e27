#include "engine/InstallWorker.h"

#include "engine/InstallSequence.h"

platform::DWORD InstallWorker::Start(CommonInstaller& installer, std::string printerName, std::int32_t printerType,
                                     std::unique_ptr<InstallWorker>& out) {
  out.reset();
  std::unique_ptr<platform::ThreadHandle> thread;
  const platform::DWORD error = installer.context().platform.threads.CreateThread(
      [&installer, name = std::move(printerName), printerType]() -> platform::DWORD {
        // Ahead of the user-interface thread, which only polls; a refusal changes nothing else.
        (void)installer.context().platform.threads.SetCurrentThreadPriority(platform::kThreadPriorityAboveNormal);
        return Install(installer, name, printerType) ? 1 : 0;
      },
      thread);
  if (error != platform::winerr::Success) return error;
  out.reset(new InstallWorker(std::move(thread)));
  return platform::winerr::Success;
}

platform::DWORD InstallWorker::Join() {
  // An infinite wait ends only when the thread has.
  (void)thread_->WaitForSingleObject(platform::kInfinite);
  return thread_->GetExitCodeThread();
}

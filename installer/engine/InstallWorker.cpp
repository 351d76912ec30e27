#include "engine/InstallWorker.h"

#include "engine/InstallSequence.h"

InstallWorker::InstallWorker(CommonInstaller& installer, std::string printerName, std::int32_t printerType)
    : thread_([this, &installer, name = std::move(printerName), printerType] {
        exitCode_.store(Install(installer, name, printerType) ? 1 : 0);
      }) {}

InstallWorker::~InstallWorker() { Join(); }

platform::DWORD InstallWorker::Join() {
  if (thread_.joinable()) thread_.join();
  return exitCode_.load();
}

#include "engine/InstallSequence.h"

#include <memory>

#include "engine/DriverFileCopy.h"
#include "engine/ErrorLog.h"
#include "engine/PaperForm.h"
#include "engine/PortMonitorInstall.h"

namespace {

using platform::DWORD;
namespace winerr = platform::winerr;

constexpr std::size_t kOstrelSystemDirectoryChars = 100;
constexpr std::size_t kDirectoryChars = 200;
constexpr const char* kShippedUsbAccessLibrary = ".\\driver\\usb\\SiUSBXp.dll";
// Twice, after the paper form: time for the driver and the windows told of the change to take it up.
constexpr DWORD kPaperFormSettleMs = 500;
// Lets the last spooler calls finish before the closing restart.
constexpr DWORD kBeforeFinalCycleMs = 100;

// The file is in place, held open by the spooler or a running program.
bool CountsAsCopied(DWORD error) { return error == winerr::AccessDenied || error == winerr::SharingViolation; }

// The result of one copy of the list or the extra file; false ends the copy step.
bool TakeCopyResult(platform::FileSystem& files, InstallerRecord& record, DWORD error, const std::string& sourceDir,
                    const std::string& targetDir, const std::string& name) {
  if (error == winerr::Success) return true;
  record.lastError = error;
  if (CountsAsCopied(error)) return true;
  LogError(files, "CopyFile(%s,%s,FALSE) FAILED CODE: %d", sourceDir + "\\" + name, targetDir + "\\" + name, error);
  return false;
}

bool FailCopyStep(platform::FileSystem& files, InstallerRecord& record, DWORD error) {
  record.lastError = error;
  LogError(files, "CopyFilesToPrinterDir Failed Code: %d", error);
  return false;
}

// The USB access library in the system directory, with the spooler stopped so it is not in use.
bool CopyOstrelLibrary(CommonInstaller& installer, DWORD& error) {
  platform::FileSystem& files = installer.context().platform.files;
  const std::string system = SystemDirectory(files, kOstrelSystemDirectoryChars, &error);
  if (system.empty()) return false;
  installer.StopSpooler();
  error = files.CopyFileA(kShippedUsbAccessLibrary, system + "\\" + kUsbAccessLibrary, false);
  installer.StartSpoolerAndWait();
  return error == winerr::Success;
}

void ReportProgress(CommonInstaller& installer, std::int32_t step) {
  installer.record.ReportProgress(step);
  installer.context().PumpMessages();
}

// The progress steps from the copy to the printer; false as soon as one fails.
bool InstallFilesMonitorAndDriver(CommonInstaller& installer, const std::string& printerName) {
  if (!CopyDriverFiles(installer)) return false;
  ReportProgress(installer, kProgressFilesCopied);
  // A second attempt: the first can fail while the spooler it restarted is still coming up.
  if (!InstallPortMonitor(installer) && !InstallPortMonitor(installer)) return false;
  ReportProgress(installer, kProgressMonitorInstalled);
  if (!installer.AddDriver(printerName)) return false;
  ReportProgress(installer, kProgressDriverRegistered);
  return installer.AddPrinterQueue(printerName);
}

}  // namespace

bool CopyDriverFiles(CommonInstaller& installer) {
  platform::Platform& os = installer.context().platform;
  InstallerRecord& record = installer.record;
  bool copied = false;
  DWORD copyError = winerr::Success;
  if (record.ostrelModel) copied = CopyOstrelLibrary(installer, copyError);

  if (!record.fileList.empty()) {
    std::string driverDirectory;
    DWORD error = os.spooler.GetPrinterDriverDirectoryA(driverDirectory);
    if (error == winerr::Success && driverDirectory.size() >= kDirectoryChars) error = winerr::InsufficientBuffer;
    // Without the directory the names would be copied to the root of the current drive.
    if (error != winerr::Success) return FailCopyStep(os.files, record, error);
    for (const std::string& name : record.fileList) {
      const DWORD copyResult = CopyOverTarget(os.files, record.sourceDir, driverDirectory, name);
      if (!TakeCopyResult(os.files, record, copyResult, record.sourceDir, driverDirectory, name)) return false;
    }
    copied = true;
    copyError = winerr::Success;
  }

  if (!record.monAdditional.empty()) {
    DWORD error = winerr::Success;
    const std::string system = SystemDirectory(os.files, kDirectoryChars, &error);
    if (system.empty()) return FailCopyStep(os.files, record, error);
    const DWORD copyResult = CopyOverTarget(os.files, record.sourceDir, system, record.monAdditional);
    return TakeCopyResult(os.files, record, copyResult, record.sourceDir, system, record.monAdditional);
  }

  if (copied) return true;
  record.lastError = copyError;
  if (CountsAsCopied(copyError)) {
    record.lastError = winerr::Success;
    return true;
  }
  return FailCopyStep(os.files, record, copyError);
}

bool Install(CommonInstaller& installer, const std::string& printerName, std::int32_t printerType) {
  const EngineContext& context = installer.context();
  platform::Platform& os = context.platform;
  InstallerRecord& record = installer.record;
  record.ReportProgress(kProgressStarted);
  record.modelName = printerName;
  record.installOutcome = kOutcomeNone;
  record.lastError = winerr::Success;
  record.printerType = printerType;

  installer.StopSpooler();
  installer.StartSpoolerAndWait();
  ReportProgress(installer, kProgressSystemReady);

  {
    std::unique_ptr<platform::PrinterHandle> existing;
    if (os.spooler.OpenPrinterA(printerName, 0, existing) == winerr::Success)
      record.installOutcome = kOutcomePrinterExisted;
  }
  ReportProgress(installer, kProgressPrinterLookedUp);

  installer.SetSourceDirectory();
  installer.BuildFileList(printerName);
  const bool result = InstallFilesMonitorAndDriver(installer, printerName);

  if (context.CurrentOsKind() != kOsWinNt4) {
    SetPaperForm(context, printerName, record.formName);
    os.clock.Sleep(kPaperFormSettleMs);
    os.clock.Sleep(kPaperFormSettleMs);
  }
  os.clock.Sleep(kBeforeFinalCycleMs);
  installer.StopSpooler();
  installer.StartSpoolerAndWait();
  ReportProgress(installer, kProgressSpoolerRestarted);

  installer.RemoveStagedDriverFiles();
  record.fileList.clear();
  record.needsPortMonitor = false;
  ReportProgress(installer, kProgressFinished);
  return result;
}

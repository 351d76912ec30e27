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
constexpr DWORD kPaperFormSettleMs = 500;
constexpr DWORD kBeforeFinalCycleMs = 100;

// The file is in place, held open by the spooler or a running program.
bool CountsAsCopied(DWORD error) { return error == winerr::AccessDenied || error == winerr::SharingViolation; }

// The result of one copy of the list or the extra file; false ends the copy step.
bool TakeCopyResult(InstallerRecord& record, DWORD error, const std::string& sourceDir, const std::string& targetDir,
                    const std::string& name) {
  if (error == winerr::Success) return true;
  record.lastError = error;
  if (CountsAsCopied(error)) return true;
  LogError("CopyFile(%s,%s,FALSE) FAILED CODE: %d", sourceDir + "\\" + name, targetDir + "\\" + name, error);
  return false;
}

bool FailCopyStep(InstallerRecord& record, DWORD error) {
  record.lastError = error;
  LogError("CopyFilesToPrinterDir Failed Code: %d", error);
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

// Steps 3 to 5 of the progress; false as soon as one fails.
bool InstallFilesMonitorAndDriver(CommonInstaller& installer, const std::string& printerName) {
  if (!CopyDriverFiles(installer)) return false;
  ReportProgress(installer, 3);
  if (!InstallPortMonitor(installer) && !InstallPortMonitor(installer)) return false;
  ReportProgress(installer, 4);
  if (!installer.AddDriver(printerName)) return false;
  ReportProgress(installer, 5);
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
    if (error != winerr::Success) return FailCopyStep(record, error);
    for (const std::string& name : record.fileList) {
      const DWORD copyResult = CopyOverTarget(os.files, record.sourceDir, driverDirectory, name);
      if (!TakeCopyResult(record, copyResult, record.sourceDir, driverDirectory, name)) return false;
    }
    copied = true;
    copyError = winerr::Success;
  }

  if (!record.monAdditional.empty()) {
    DWORD error = winerr::Success;
    const std::string system = SystemDirectory(os.files, kDirectoryChars, &error);
    if (system.empty()) return FailCopyStep(record, error);
    const DWORD copyResult = CopyOverTarget(os.files, record.sourceDir, system, record.monAdditional);
    return TakeCopyResult(record, copyResult, record.sourceDir, system, record.monAdditional);
  }

  if (copied) return true;
  record.lastError = copyError;
  if (CountsAsCopied(copyError)) {
    record.lastError = winerr::Success;
    return true;
  }
  return FailCopyStep(record, copyError);
}

bool Install(CommonInstaller& installer, const std::string& printerName, std::int32_t printerType) {
  const EngineContext& context = installer.context();
  platform::Platform& os = context.platform;
  InstallerRecord& record = installer.record;
  record.ReportProgress(0);
  record.modelName = printerName;
  record.installOutcome = 0;
  record.lastError = winerr::Success;
  record.printerType = printerType;

  installer.StopSpooler();
  installer.StartSpoolerAndWait();
  ReportProgress(installer, 1);

  {
    std::unique_ptr<platform::PrinterHandle> existing;
    if (os.spooler.OpenPrinterA(printerName, 0, existing) == winerr::Success) record.installOutcome = 2;
  }
  ReportProgress(installer, 2);

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
  ReportProgress(installer, 6);

  installer.RemoveStagedDriverFiles();
  record.fileList.clear();
  record.needsPortMonitor = false;
  ReportProgress(installer, 7);
  return result;
}

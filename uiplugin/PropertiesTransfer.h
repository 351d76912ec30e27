#pragma once
// A printer's whole stored configuration (its key in the spooler's registry area, values and
// subkeys) saved to a registry hive file and restored from one.
#include <functional>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "ui/Dialog.h"

namespace uiplugin {

class PropertiesTransfer {
public:
  // `whileWaiting` runs during the spooler restart's waits, at least every 100 ms.
  PropertiesTransfer(platform::Platform& platform, std::u16string printerName,
                     std::function<void()> whileWaiting = {});

  const std::u16string& PrinterName() const { return printerName_; }

  // Enables SeBackupPrivilege, then SeRestorePrivilege, in the process token. An account that does
  // not hold them still passes: its registry calls fail later.
  bool EnableBackupRestorePrivileges();
  // Saves the key to `file`. An existing file is replaced only once the new one is complete: the
  // save goes to a fresh name beside it, which then takes its place.
  bool ExportPrinterProperties(const std::u16string& file);
  // Makes the key exactly the file's, restarts the spooler so it reads the printer again, and tells
  // every top-level window that the printer's device settings changed. Nothing is restored while
  // the spooler's service cannot be opened for the restart.
  bool ImportPrinterProperties(const std::u16string& file);
  // Stop, then start, without watching the state; failures are not reported.
  void RestartSpooler();

private:
  platform::Platform& platform_;
  std::u16string printerName_;
  std::function<void()> whileWaiting_;
};

enum class TransferDirection { Export, Import };

// The page's buttons: asks for the file, runs the transfer and tells the user how it went; a
// successful import closes the property sheet. 1 on success, 0 otherwise.
int RunPropertiesTransfer(ui::Dialog& page, PropertiesTransfer& transfer, TransferDirection direction);

}  // namespace uiplugin

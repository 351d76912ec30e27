#include "uiplugin/PropertiesTransfer.h"

#include <memory>
#include <utility>

#include "settingsfile/PrinterKeyExport.h"
#include "ui/Kit.h"
#include "ui/WideText.h"
#include "uiplugin/res/resource.h"

namespace uiplugin {

namespace {

using platform::DWORD;
using platform::winerr::Success;

constexpr DWORD kSpoolerPauseMs = 200;
constexpr DWORD kBroadcastTimeoutMs = 1000;

ui::FileDialogRequest FileRequest(ui::Kit& kit, TransferDirection direction) {
  ui::FileDialogRequest request;
  request.save = direction == TransferDirection::Export;
  request.title = ui::ToWide(kit.LoadText(request.save ? IDS_EXPORT_TITLE : IDS_IMPORT_TITLE));
  request.filterName = ui::ToWide(kit.LoadText(IDS_REG_FILES));
  request.filterPattern = u"*.reg";
  request.initialName = u"kvxproperties.reg";
  request.bufferUnits = 256;
  return request;
}

// The spooler's service opened with full access; the service closes before its manager.
struct SpoolerService {
  std::unique_ptr<platform::ServiceManagerHandle> manager;
  std::unique_ptr<platform::ServiceHandle> service;
};

bool OpenSpooler(platform::ServiceControl& services, SpoolerService& spooler) {
  return services.OpenSCManagerA(platform::svcaccess::ScManagerAllAccess, spooler.manager) == Success &&
         spooler.manager &&
         spooler.manager->OpenServiceA("spooler", platform::svcaccess::ServiceAllAccess, spooler.service) == Success &&
         spooler.service;
}

void Restart(platform::Clock& clock, platform::ServiceHandle& service, const std::function<void()>& whileWaiting) {
  platform::ServiceStatus status;
  // Once more: the service manager may refuse a control while the service changes state.
  if (service.ControlService(platform::svccontrol::Stop, status) != Success)
    (void)service.ControlService(platform::svccontrol::Stop, status);
  platform::SleepInSteps(clock, kSpoolerPauseMs, whileWaiting);
  if (service.StartServiceA() != Success) (void)service.StartServiceA();
  platform::SleepInSteps(clock, kSpoolerPauseMs, whileWaiting);
}

}  // namespace

PropertiesTransfer::PropertiesTransfer(platform::Platform& platform, std::u16string printerName,
                                       std::function<void()> whileWaiting)
    : platform_(platform), printerName_(std::move(printerName)), whileWaiting_(std::move(whileWaiting)) {}

bool PropertiesTransfer::EnableBackupRestorePrivileges() {
  return settingsfile::EnablePrivileges(platform_.process, {settingsfile::kBackupPrivilege,
                                                            settingsfile::kRestorePrivilege}) == Success;
}

bool PropertiesTransfer::ExportPrinterProperties(const std::u16string& file) {
  return settingsfile::ExportPrinterKey(platform_, printerName_, file) == Success;
}

bool PropertiesTransfer::ImportPrinterProperties(const std::u16string& file) {
  const auto path = settingsfile::PrinterKeyPath(printerName_);
  if (!path) return false;
  // The spooler reads the restored key only when it starts again: a spooler that cannot be restarted
  // is found out before the key is touched, rather than after the user has been told it worked.
  SpoolerService spooler;
  if (!OpenSpooler(platform_.services, spooler)) return false;
  std::unique_ptr<platform::RegistryKey> key;
  if (platform_.registry.OpenKeyW(platform::RootKey::LocalMachine, *path, platform::regaccess::AllAccess, key) != 0 ||
      !key)
    return false;
  if (key->RestoreKeyW(file, platform::regrestore::ForceRestore) != 0) return false;
  key.reset();
  Restart(platform_.clock, *spooler.service, whileWaiting_);
  (void)platform_.messages.BroadcastTextMessageW(platform::wm::DevModeChange, printerName_, platform::wm::SmtoNormal,
                                                 kBroadcastTimeoutMs);
  return true;
}

void PropertiesTransfer::RestartSpooler() {
  SpoolerService spooler;
  if (OpenSpooler(platform_.services, spooler)) Restart(platform_.clock, *spooler.service, whileWaiting_);
}

int RunPropertiesTransfer(ui::Dialog& page, PropertiesTransfer& transfer, TransferDirection direction) {
  ui::Kit& kit = page.kit();
  if (!transfer.EnableBackupRestorePrivileges()) {
    page.ShowMessageBox(kit.LoadText(IDS_NO_PRIVILEGE), kit.LoadText(IDS_PRIVILEGE_ERROR),
                        ui::mb::Ok | ui::mb::IconError);
    return 0;
  }
  if (!transfer.PrinterName().empty()) {
    const auto file = kit.GetFileName(&page, FileRequest(kit, direction));
    if (!file) return 0;
    if (direction == TransferDirection::Export && transfer.ExportPrinterProperties(*file)) {
      page.ShowMessageBox(kit.LoadText(IDS_EXPORTED), kit.LoadText(IDS_EXPORT_CAPTION), ui::mb::Ok);
      return 1;
    }
    if (direction == TransferDirection::Import && transfer.ImportPrinterProperties(*file)) {
      page.ShowMessageBox(kit.LoadText(IDS_IMPORTED), kit.LoadText(IDS_IMPORT_CAPTION), ui::mb::Ok);
      kit.DestroyParentWindow(page);
      return 1;
    }
  }
  page.ShowMessageBox(kit.LoadText(IDS_TRANSFER_FAILED), kit.LoadText(IDS_PRIVILEGE_ERROR),
                      ui::mb::Ok | ui::mb::IconError);
  return 0;
}

}  // namespace uiplugin

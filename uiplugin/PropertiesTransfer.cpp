#include "uiplugin/PropertiesTransfer.h"

#include <memory>
#include <utility>

#include "platform/AccessToken.h"
#include "ui/Kit.h"
#include "ui/WideText.h"
#include "uiplugin/res/resource.h"

namespace uiplugin {

namespace {

using platform::DWORD;
using platform::winerr::Success;

constexpr std::u16string_view kPrintersKey = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";
constexpr std::size_t kKeyPathUnits = 700;
constexpr DWORD kSpoolerPauseMs = 200;
constexpr DWORD kBroadcastTimeoutMs = 1000;
// Fresh names tried for the file being written: the save refuses a name that exists, so one left
// by an earlier run, or a file of the user's, is passed over and never touched.
constexpr char16_t kTemporaryMarks = 10;
// Registry calls answer a LONG.
constexpr platform::LONG kSaved = 0;
constexpr platform::LONG kFileExists = static_cast<platform::LONG>(platform::winerr::AlreadyExists);

DWORD EnablePrivilege(platform::ProcessInfo& process, platform::AccessToken& token, const std::u16string& name) {
  platform::Luid luid;
  if (const DWORD error = process.LookupPrivilegeValueW(name, luid)) return error;
  bool allAssigned = false;
  return token.AdjustPrivilege(luid, platform::seprivilege::Enabled, allAssigned);
}

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

std::optional<std::u16string> PrinterKeyPath(const std::u16string& printerName) {
  std::u16string path(kPrintersKey);
  path += u'\\';
  path += printerName;
  if (path.size() + 1 > kKeyPathUnits) return std::nullopt;
  return path;
}

PropertiesTransfer::PropertiesTransfer(platform::Platform& platform, std::u16string printerName,
                                       std::function<void()> whileWaiting)
    : platform_(platform), printerName_(std::move(printerName)), whileWaiting_(std::move(whileWaiting)) {}

bool PropertiesTransfer::EnableBackupRestorePrivileges() {
  std::unique_ptr<platform::AccessToken> token;
  if (platform_.process.OpenProcessToken(platform::tokenaccess::AdjustPrivileges | platform::tokenaccess::Query,
                                         token) != Success ||
      !token)
    return false;
  DWORD result = EnablePrivilege(platform_.process, *token, u"SeBackupPrivilege");
  if (result == Success) result = EnablePrivilege(platform_.process, *token, u"SeRestorePrivilege");
  return result == Success;
}

bool PropertiesTransfer::ExportPrinterProperties(const std::u16string& file) {
  const auto path = PrinterKeyPath(printerName_);
  if (!path) return false;
  std::unique_ptr<platform::RegistryKey> key;
  if (platform_.registry.OpenKeyW(platform::RootKey::LocalMachine, *path,
                                  platform::regaccess::Read | platform::regaccess::Wow64_64Key, key) != 0 ||
      !key)
    return false;
  std::u16string temporary;
  platform::LONG saved = kFileExists;
  for (char16_t mark = 0; mark < kTemporaryMarks && saved == kFileExists; ++mark) {
    temporary = file + u'~' + static_cast<char16_t>(u'0' + mark);
    saved = key->SaveKeyExW(temporary, platform::regsave::LatestFormat);
  }
  key.reset();
  if (saved == kFileExists) return false;
  // The name was free before the save, so whatever a failed save left there is its own.
  if (saved != kSaved ||
      platform_.files.MoveFileExW(temporary, file, platform::movefile::ReplaceExisting) != Success) {
    (void)platform_.files.DeleteFileW(temporary);
    return false;
  }
  return true;
}

bool PropertiesTransfer::ImportPrinterProperties(const std::u16string& file) {
  const auto path = PrinterKeyPath(printerName_);
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

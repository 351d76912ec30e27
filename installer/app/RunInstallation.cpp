#include "app/RunInstallation.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "app/AppProfile.h"
#include "app/CInstallationProgressDlg.h"
#include "app/CPrinterModelDlg.h"
#include "app/CSelectAction.h"
#include "app/CTolvInstallerApp.h"
#include "app/InstallGate.h"
#include "app/TestPage.h"
#include "comm/SerialPortSettings.h"
#include "engine/Catalog.h"
#include "engine/InstallWorker.h"
#include "engine/MonitorPorts.h"
#include "engine/PortMonitorInstall.h"
#include "engine/PrinterInfo.h"
#include "engine/Win2kXPInstaller.h"
#include "platform/CaseFolding.h"
#include "resource.h"

namespace {

using platform::DWORD;
namespace winerr = platform::winerr;

constexpr DWORD kPollMs = 5;
// Gives the port monitor time to see the new serial settings before anything prints.
constexpr DWORD kSerialSettingsSettleMs = 300;
constexpr const char* kScaled = "Scaled";

bool Contains(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// Port names name the same port whole, in any letter case, with or without the colon: a printer on
// "Kvx_COM1:" is not on "Kvx_COM10:", nor one on "Kvx_IP_192.0.2.5" on "Kvx_IP_192.0.2.50".
bool SamePort(std::string_view a, std::string_view b) {
  const auto bare = [](std::string_view name) { return name.ends_with(':') ? name.substr(0, name.size() - 1) : name; };
  return platform::EqualNoCase(bare(a), bare(b));
}

// The printer of this name, when it exists and sits on another port than the new one.
struct ExistingPrinter {
  std::unique_ptr<platform::PrinterHandle> handle;
  platform::PrinterInfo2A info;
};

std::optional<ExistingPrinter> ExistingOnAnotherPort(platform::Platform& os, const std::string& printerName,
                                                     const std::string& newPort) {
  ExistingPrinter existing;
  if (os.spooler.OpenPrinterA(printerName, platform::printeraccess::Use, existing.handle) != winerr::Success)
    return std::nullopt;
  if (!ReadPrinterInfo(*existing.handle, existing.info)) return std::nullopt;
  if (existing.info.pPortName && SamePort(*existing.info.pPortName, newPort)) return std::nullopt;
  return existing;
}

// The port's default configuration as the printer needs it: 8N1 with hardware handshake. False
// when the port has no default configuration to change: it is no serial device of this computer.
bool ConfigureComPort(platform::Platform& os, const std::string& port, DWORD baudRate) {
  platform::CommState state;
  if (os.serial.GetDefaultCommConfigA(port, state) != winerr::Success) return false;
  state.stopBits = platform::stopbits::One;
  state.byteSize = 8;
  state.parity = platform::parity::None;
  state.parityCheck = true;
  state.outxCtsFlow = true;
  state.outxDsrFlow = true;
  state.dtrControl = platform::dtrcontrol::Handshake;
  state.rtsControl = platform::rtscontrol::Handshake;
  state.txContinueOnXoff = true;
  state.outX = false;
  state.inX = false;
  state.baudRate = baudRate;
  // Nothing to fall back to: the port monitor's own settings below still apply.
  (void)os.serial.SetDefaultCommConfigA(port, state);
  return true;
}

void StoreSerialSettings(CPrinterModelDlg& dialog, std::string& portChoice, const std::string& portParameter) {
  platform::Platform& os = dialog.context().platform;
  // A typed port name may lack the colon: only a colon is dropped.
  if (!portChoice.empty() && portChoice.back() == ':') portChoice.pop_back();
  const DWORD baudRate = BaudRateFromText(portParameter);
  // No port, no settings for the port monitor to find.
  if (!ConfigureComPort(os, portChoice, baudRate)) return;
  const std::string key = "Kvx_" + portChoice;
  const DWORD flow = FlowControlModeFromIndex(dialog.selection.flowControlIndex);
  if (!WriteSerialPortSettings(os, key, baudRate, 8, 0, 1, flow)) {
    // A second failure is left alone: the port monitor then uses its own defaults.
    (void)WriteSerialPortSettings(os, key, baudRate, 8, 0, 1, flow);
  }
  os.clock.Sleep(kSerialSettingsSettleMs);
}

// Runs Install on the worker while the progress dialog ticks off its steps. Nullopt when the
// thread could not be started.
std::optional<DWORD> InstallOnWorker(CPrinterModelDlg& dialog, CInstallationProgressDlg& progress,
                                     Win2kXPInstaller& installer, const std::string& printerName,
                                     std::int32_t printerType) {
  std::unique_ptr<InstallWorker> worker;
  if (InstallWorker::Start(installer, printerName, printerType, worker) != winerr::Success) return std::nullopt;
  ui::Kit& kit = dialog.kit();
  while (!worker->WaitFor(kPollMs)) {
    // Only painting gets through: the windows stay drawn but take no input.
    if (kit.PumpPaintMessages()) continue;
    const std::int32_t step = installer.record.progressStep.load();
    progress.ShowSteps(step);
    if (step == kProgressFinished) break;
  }
  const DWORD exitCode = worker->Join();
  // The marks of the steps the worker went through before the poll saw them (marks never go).
  progress.ShowSteps(installer.record.progressStep.load());
  return exitCode;
}

}  // namespace

bool RunInstallation(CPrinterModelDlg& dialog, std::string& portChoice, const std::string& portParameter) {
  AppContext& context = dialog.context();
  platform::Platform& os = context.platform;
  ui::Kit& kit = context.kit;
  dialog.runOutcome = RunOutcome::Failed;

  CheckOperatingSystem(dialog);
  Win2kXPInstaller& installer = *dialog.installer;
  InstallerRecord& record = installer.record;
  const OsKind osKind = dialog.selection.osKind;

  std::string printerName;
  (void)dialog.SelectedModelName(printerName);  // the model dialog only continues with a selection
  if (Contains(portChoice, "IP")) portChoice += "_" + portParameter;
  installer.SetPortName(portChoice);
  record.ostrelModel = IsOstrelModel(os.profile, printerName);
  if (Contains(portChoice, "IP")) record.tcpPort = dialog.selection.tcpPort;

  const bool reducedScale = dialog.GetButton(IDC_DRIVER_REDUCED).IsChecked();
  record.formName = reducedScale ? std::string(kScaled) + " " : std::string();
  if (dialog.GetButton(IDC_WIDTH_48).IsChecked()) {
    record.formName += "Print width 48mm 30cm";
  } else if (dialog.GetButton(IDC_WIDTH_80).IsChecked()) {
    record.formName += "Print width 80mm 30cm";
  }

  auto progress = std::make_unique<CInstallationProgressDlg>(context);
  progress->CreateModeless(&dialog);
  progress->ShowWindow(true);

  std::optional<ui::WaitCursor> connectWait;
  if (Contains(portChoice, "USB")) {
    record.needsPortMonitor = true;
    if (osKind == kOsWinXp && !IsUsbDevicePresent(installer) && !record.ostrelModel) {
      const int answer = dialog.ShowMessageBox(kit.LoadText(IDS_CONNECT_PRINTER), "IMPORTANT",
                                               ui::mb::OkCancel | ui::mb::IconExclamation);
      if (answer != ui::idres::Ok) {
        progress.reset();
        dialog.runOutcome = RunOutcome::Cancelled;
        return false;
      }
      connectWait.emplace(kit);
    }
  } else if (osKind >= kOsWin2000 && osKind <= kOsVistaOrLater) {
    record.needsPortMonitor = true;
  }

  const std::int32_t printerType = Contains(printerName, "RQ") || Contains(printerName, "VT") ? 0 : 1;
  if (reducedScale) printerName += std::string(" (") + kScaled + ")";
  std::optional<ui::WaitCursor> wait(std::in_place, kit);

  bool install = true;
  bool noFreeName = false;
  if (auto existing = ExistingOnAnotherPort(os, printerName, record.portName)) {
    CSelectAction question(context);
    question.newPort = record.portName;
    question.existingPort = existing->info.pPortName.value_or("");
    switch (question.DoModal()) {
      case ui::idres::Cancel:
        record.installOutcome = kOutcomeCancelled;
        install = false;
        break;
      case CSelectAction::kNewPrinter:
        install = MakeUniquePrinterName(installer, printerName);
        noFreeName = !install;
        if (noFreeName) record.installOutcome = kOutcomeNone;
        break;
      case CSelectAction::kChangePort:
        (void)ChangePrinterPort(installer, printerName, existing->info);  // its outcome is in the record
        install = false;
        break;
      default: break;
    }
  }

  bool success = true;
  DWORD exitCode = 0;
  if (install) {
    const auto result = InstallOnWorker(dialog, *progress, installer, printerName, printerType);
    if (!result) {
      dialog.ShowMessageBox(kit.LoadText(IDS_THREAD_FAILED), kit.AppName(), ui::mb::Ok);
      progress.reset();
      return false;
    }
    exitCode = *result;
    success = exitCode != 0;
  }
  progress.reset();
  // Nothing was installed under another name: not the success the run would otherwise report.
  if (noFreeName) success = false;

  if (record.installOutcome != kOutcomeCancelled && Contains(portChoice, "COM"))
    StoreSerialSettings(dialog, portChoice, portParameter);
  wait.reset();
  connectWait.reset();

  if (success && IsOstrelModel(os.profile, printerName) && Contains(portChoice, "LPT") &&
      (record.installOutcome == kOutcomeNone || record.installOutcome == kOutcomePrinterExisted ||
       record.installOutcome == kOutcomePortChanged)) {
    (void)DisableLowPaper(context, printerName);  // the printer works without it
  }

  switch (record.installOutcome) {
    case kOutcomePrinterExisted:
      dialog.ShowMessageBox(kit.LoadText(IDS_ALREADY_INSTALLED), "Info", ui::mb::Ok | ui::mb::IconQuestion);
      dialog.runOutcome = RunOutcome::AlreadyInstalled;
      OfferTestPage(context, &dialog, printerName);
      break;
    case kOutcomePortChanged:
      dialog.ShowMessageBox(kit.LoadText(IDS_PORT_UPDATED), kit.AppName(), ui::mb::Ok | ui::mb::IconExclamation);
      dialog.runOutcome = RunOutcome::PortChanged;
      OfferTestPage(context, &dialog, printerName);
      break;
    case kOutcomePortChangeFailed:
      dialog.ShowMessageBox(kit.LoadText(IDS_PORT_UPDATE_FAILED), kit.AppName(), ui::mb::Ok | ui::mb::IconError);
      break;
    case kOutcomeCancelled:
      dialog.runOutcome = RunOutcome::Cancelled;
      break;
    default:
      if (success) {
        dialog.runOutcome = RunOutcome::Installed;
        OfferTestPage(context, &dialog, printerName);
      } else {
        dialog.ShowMessageBox(kit.LoadText(IDS_INSTALL_FAILED), kit.AppName(), ui::mb::Ok | ui::mb::IconError);
      }
  }

  if (dialog.selection.newMonitorPending && exitCode != 0) {
    dialog.selection.newMonitorPending = false;
    AppProfile profile(os.registry, kRegistryKeyName, kit.AppName());
    (void)profile.WriteProfileString(kMonitorSection, kMonitorEntry, "1");  // only spares a later question
  }
  dialog.installer.reset();
  return true;
}

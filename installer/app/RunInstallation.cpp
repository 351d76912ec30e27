#include "app/RunInstallation.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "app/AppProfile.h"
#include "app/CInstallationProgressDlg.h"
#include "app/CSelectAction.h"
#include "app/InstallGate.h"
#include "app/TestPage.h"
#include "comm/SerialPortSettings.h"
#include "engine/Catalog.h"
#include "engine/InstallWorker.h"
#include "engine/MonitorPorts.h"
#include "engine/PortMonitorContract.h"
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

std::optional<ExistingPrinter> ExistingOnAnotherPort(platform::PrintSpooler& spooler, const std::string& printerName,
                                                     const std::string& newPort) {
  ExistingPrinter existing;
  if (spooler.OpenPrinterA(printerName, platform::printeraccess::Use, existing.handle) != winerr::Success)
    return std::nullopt;
  if (ReadPrinterInfo(*existing.handle, existing.info) != winerr::Success) return std::nullopt;
  if (existing.info.pPortName && SamePort(*existing.info.pPortName, newPort)) return std::nullopt;
  return existing;
}

// The port's default configuration as the printer needs it: 8N1 with hardware handshake. False
// when the port has no default configuration to change: it is no serial device of this computer.
bool ConfigureComPort(platform::Serial& serial, const std::string& port, DWORD baudRate) {
  platform::CommState state;
  if (serial.GetDefaultCommConfigA(port, state) != winerr::Success) return false;
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
  (void)serial.SetDefaultCommConfigA(port, state);
  return true;
}

void StoreSerialSettings(AppContext& context, const WizardSelection& selection, std::string& portChoice) {
  platform::Platform& os = context.platform;
  // A typed port name may lack the colon: only a colon is dropped.
  if (!portChoice.empty() && portChoice.back() == ':') portChoice.pop_back();
  const DWORD baudRate = BaudRateFromText(selection.portParameter);
  // No port, no settings for the port monitor to find.
  if (!ConfigureComPort(os.serial, portChoice, baudRate)) return;
  const std::string key = kMonitorPortPrefix + portChoice;
  const DWORD flow = FlowControlModeFromIndex(selection.flowControlIndex);
  if (!WriteSerialPortSettings(os.registry, key, baudRate, 8, 0, 1, flow)) {
    // A second failure is left alone: the port monitor then uses its own defaults.
    (void)WriteSerialPortSettings(os.registry, key, baudRate, 8, 0, 1, flow);
  }
  // The windows stay drawn meanwhile but take no input, as while the worker ran.
  platform::SleepInSteps(os.clock, kSerialSettingsSettleMs, [&kit = context.kit] { (void)kit.PumpPaintMessages(); });
}

// Runs Install on the worker while the progress dialog ticks off its steps. Nullopt when the
// thread could not be started.
std::optional<DWORD> InstallOnWorker(ui::Kit& kit, CInstallationProgressDlg& progress, Win2kXPInstaller& installer,
                                     const std::string& printerName, std::int32_t printerType) {
  std::unique_ptr<InstallWorker> worker;
  if (InstallWorker::Start(installer, printerName, printerType, worker) != winerr::Success) return std::nullopt;
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

RunOutcome RunInstallation(AppContext& context, ui::Dialog& owner, WizardSelection& selection) {
  platform::Platform& os = context.platform;
  ui::Kit& kit = context.kit;

  std::unique_ptr<Win2kXPInstaller> installer = CheckOperatingSystem(context, &owner, selection.osKind);
  InstallerRecord& record = installer->record;
  const OsKind osKind = selection.osKind;

  std::string printerName = selection.modelName;
  std::string portChoice = selection.portChoice;
  const std::string& portParameter = selection.portParameter;
  if (Contains(portChoice, kNetworkPortChoice)) portChoice += "_" + portParameter;
  installer->SetPortName(portChoice);
  record.ostrelModel = IsOstrelModel(os.profile, printerName);
  if (Contains(portChoice, kNetworkPortChoice)) record.tcpPort = selection.tcpPort;

  const bool reducedScale = selection.driverKind == DriverKind::ReducedScale;
  record.formName = reducedScale ? std::string(kScaled) + " " : std::string();
  if (selection.printWidth == PrintWidth::Width48) {
    record.formName += "Print width 48mm 30cm";
  } else if (selection.printWidth == PrintWidth::Width80) {
    record.formName += "Print width 80mm 30cm";
  }

  auto progress = std::make_unique<CInstallationProgressDlg>(context);
  progress->CreateModeless(&owner);
  progress->ShowWindow(true);

  std::optional<ui::WaitCursor> connectWait;
  if (PortKindOf(portChoice) == PortKind::Usb) {
    record.needsPortMonitor = true;
    if (osKind == kOsWinXp && !IsUsbDevicePresent(*installer) && !record.ostrelModel) {
      const int answer = owner.ShowMessageBox(kit.LoadText(IDS_CONNECT_PRINTER), kConnectPrinterCaption,
                                              ui::mb::OkCancel | ui::mb::IconExclamation);
      if (answer != ui::idres::Ok) return RunOutcome::Cancelled;
      connectWait.emplace(kit);
    }
  } else if (osKind >= kOsWin2000 && osKind <= kOsVistaOrLater) {
    record.needsPortMonitor = true;
  }

  const std::int32_t printerType = IsListedModel(printerName) ? 0 : 1;
  if (reducedScale) printerName += std::string(" (") + kScaled + ")";
  std::optional<ui::WaitCursor> wait(std::in_place, kit);

  bool install = true;
  bool noFreeName = false;
  if (auto existing = ExistingOnAnotherPort(os.spooler, printerName, record.portName)) {
    CSelectAction question(context);
    question.newPort = record.portName;
    question.existingPort = existing->info.pPortName.value_or("");
    switch (question.DoModal()) {
      case ui::idres::Cancel:
        record.installOutcome = kOutcomeCancelled;
        install = false;
        break;
      case CSelectAction::kNewPrinter:
        install = MakeUniquePrinterName(*installer, printerName);
        noFreeName = !install;
        if (noFreeName) record.installOutcome = kOutcomeNone;
        break;
      case CSelectAction::kChangePort:
        // A change that failed before it came to the port (the printer would not open, the monitor
        // would not install) leaves no outcome of its own: it failed all the same.
        if (!ChangePrinterPort(*installer, printerName, existing->info))
          record.installOutcome = kOutcomePortChangeFailed;
        install = false;
        break;
      default: break;
    }
  }

  bool success = true;
  DWORD exitCode = 0;
  if (install) {
    const auto result = InstallOnWorker(kit, *progress, *installer, printerName, printerType);
    if (!result) {
      owner.ShowMessageBox(kit.LoadText(IDS_THREAD_FAILED), kit.AppName(), ui::mb::Ok);
      progress.reset();
      return RunOutcome::Failed;
    }
    exitCode = *result;
    success = exitCode != 0;
  }
  progress.reset();
  // Nothing was installed under another name: not the success the run would otherwise report.
  if (noFreeName) success = false;

  if (record.installOutcome != kOutcomeCancelled && Contains(portChoice, "COM"))
    StoreSerialSettings(context, selection, portChoice);
  wait.reset();
  connectWait.reset();

  if (success && IsOstrelModel(os.profile, printerName) && PortKindOf(portChoice) == PortKind::Parallel &&
      (record.installOutcome == kOutcomeNone || record.installOutcome == kOutcomePrinterExisted ||
       record.installOutcome == kOutcomePortChanged)) {
    (void)DisableLowPaper(context, printerName);  // the printer works without it
  }

  const auto ready = [&] {
    if (context.printerReady) context.printerReady(printerName);
  };
  RunOutcome outcome = RunOutcome::Failed;
  switch (record.installOutcome) {
    case kOutcomePrinterExisted:
      owner.ShowMessageBox(kit.LoadText(IDS_ALREADY_INSTALLED), "Info", ui::mb::Ok | ui::mb::IconQuestion);
      outcome = RunOutcome::AlreadyInstalled;
      ready();
      OfferTestPage(context, &owner, printerName);
      break;
    case kOutcomePortChanged:
      owner.ShowMessageBox(kit.LoadText(IDS_PORT_UPDATED), kit.AppName(), ui::mb::Ok | ui::mb::IconExclamation);
      outcome = RunOutcome::PortChanged;
      ready();
      OfferTestPage(context, &owner, printerName);
      break;
    case kOutcomePortChangeFailed:
      owner.ShowMessageBox(kit.LoadText(IDS_PORT_UPDATE_FAILED), kit.AppName(), ui::mb::Ok | ui::mb::IconError);
      break;
    case kOutcomeCancelled:
      outcome = RunOutcome::Cancelled;
      break;
    default:
      if (success) {
        outcome = RunOutcome::Installed;
        ready();
        OfferTestPage(context, &owner, printerName);
      } else {
        owner.ShowMessageBox(kit.LoadText(IDS_INSTALL_FAILED), kit.AppName(), ui::mb::Ok | ui::mb::IconError);
      }
  }

  if (selection.newMonitorPending && exitCode != 0) {
    selection.newMonitorPending = false;
    (void)RecordMonitorInstalled(os.registry, kit.AppName());  // only spares a later question
  }
  return outcome;
}

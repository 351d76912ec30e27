#include "app/SettingsCommands.h"

#include "app/CommandGate.h"
#include "app/ExitCodes.h"
#include "engine/CatalogPrinters.h"
#include "engine/PrinterSettingsApply.h"
#include "platform/CaseFolding.h"
#include "platform/Windows1252.h"
#include "settingsfile/PrinterKeyExport.h"
#include "ui/Transcript.h"

namespace {

using platform::DWORD;

std::string Shown(const std::string& ansi) { return platform::AnsiToPrintableUtf8(ansi); }

std::string ErrorText(DWORD error) {
  switch (error) {
    case platform::winerr::PrivilegeNotHeld: return "error 1314: the account does not hold the backup privilege";
    case platform::winerr::AccessDenied: return "error 5: access denied";
    default: return "error " + std::to_string(error);
  }
}

enum class Target { Found, NotFound, Refused, Failed };

// The printer of that name, when this installer's catalog knows its driver.
Target FindTarget(ProgramEnvironment& env, const std::string& name, std::string& actualName, std::string& why) {
  std::vector<platform::PrinterInfo2A> printers;
  if (const DWORD error = env.platform.spooler.EnumPrintersA(printers)) {
    why = "the spooler cannot list its printers: " + ErrorText(error);
    return Target::Failed;
  }
  for (const platform::PrinterInfo2A& printer : printers) {
    const std::string printerName = printer.pPrinterName.value_or("");
    if (!platform::EqualNoCase(printerName, name)) continue;
    actualName = printerName;
    if (IsCatalogDriver(env.platform.profile, printer.pDriverName.value_or(""))) return Target::Found;
    why = "its driver \"" + Shown(printer.pDriverName.value_or("")) + "\" is not one this installer registers";
    return Target::Refused;
  }
  return Target::NotFound;
}

struct Run {
  const char* outcome;
  int code;
};

// The gate, then the printer; the command runs only when both let it.
template <class Command>
int RunOnPrinter(ProgramEnvironment& env, const std::string& name, Command command) {
  CommandGate gate(env);
  if (!gate.Pass()) return gate.ExitCode();
  std::string actualName, why;
  Run run{"failed", kExitInstallFailed};
  switch (FindTarget(env, name, actualName, why)) {
    case Target::NotFound: run = {"not-found", kExitNotInstalled}; break;
    case Target::Refused: run = {"refused", kExitNotInstalled}; break;
    case Target::Failed: break;
    case Target::Found: run = command(actualName, why); break;
  }
  if (!why.empty()) gate.transcript().Line("note " + ui::Transcript::Quote(why));
  gate.transcript().Line(std::string("outcome ") + run.outcome + " " + ui::Transcript::Quote(name));
  return run.code;
}

std::u16string Wide(const std::string& ansi) { return platform::AnsiToUtf16(ansi); }

}  // namespace

int ExportSettingsCommand(const ProgramOptions& options, ProgramEnvironment& env) {
  const std::string& file = options.exportSettings.at(1);
  return RunOnPrinter(env, options.exportSettings.at(0), [&](const std::string& printer, std::string& why) -> Run {
    DWORD error = settingsfile::EnablePrivileges(env.platform.process, {settingsfile::kBackupPrivilege});
    if (error == platform::winerr::Success) error = settingsfile::ExportPrinterKey(env.platform, Wide(printer), Wide(file));
    if (error == platform::winerr::Success) return {"exported", kExitInstalled};
    why = "cannot save the settings to " + Shown(file) + ": " + ErrorText(error);
    return {"failed", kExitInstallFailed};
  });
}

std::string ReadSettingsFile(ProgramEnvironment& env, const std::string& file, settingsfile::PrinterSettings& settings) {
  std::string problem = settingsfile::ReadPrinterSettings(env.platform.registry, Wide(file), settings);
  if (problem.empty() && !IsCatalogDriver(env.platform.profile, settings.driverName))
    problem = "holds the settings of a printer on the driver \"" + Shown(settings.driverName) +
              "\", which this installer does not install";
  return problem.empty() ? problem : Shown(file) + ": " + problem;
}

bool ApplySettings(ProgramEnvironment& env, const std::string& printerName, const std::string& file,
                   const settingsfile::PrinterSettings& settings) {
  const DWORD error = ApplyPrinterSettings(env.platform.spooler, printerName, settings);
  if (error == platform::winerr::Success) return true;
  env.err << "the settings of " << Shown(file) << " could not be given to \"" << Shown(printerName)
          << "\": " << ErrorText(error) << " (what had changed was put back)\n";
  return false;
}

int ImportSettingsCommand(const ProgramOptions& options, ProgramEnvironment& env) {
  const std::string& file = options.importSettings.at(1);
  return RunOnPrinter(env, options.importSettings.at(0), [&](const std::string& printer, std::string& why) -> Run {
    settingsfile::PrinterSettings settings;
    if (std::string problem = ReadSettingsFile(env, file, settings); !problem.empty()) {
      why = problem;
      return {"refused", kExitSetupError};
    }
    if (ApplySettings(env, printer, file, settings)) return {"imported", kExitInstalled};
    return {"failed", kExitInstallFailed};
  });
}

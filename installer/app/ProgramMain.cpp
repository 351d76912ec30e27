#include "app/ProgramMain.h"

#include "app/BoardCommands.h"
#include "app/CPrinterModelDlg.h"
#include "app/CTolvInstallerApp.h"
#include "app/ErrorLogWatch.h"
#include "app/ExitCodes.h"
#include "app/InstallerResources.h"
#include "app/PrinterCommands.h"
#include "app/ProgramVersion.h"
#include "app/SettingsCommands.h"
#include "app/UnattendedScript.h"
#include "engine/Catalog.h"
#include "platform/Windows1252.h"
#include "ui/headless/HeadlessKit.h"

namespace {

std::string InCurrentFolder(const ProgramEnvironment& env, const char* file) {
  return (env.currentFolder / file).string();
}

// Why the model list is empty.
std::string CatalogProblem(ProgramEnvironment& env) {
  platform::DWORD attributes = 0;
  const bool found = env.platform.files.GetFileAttributesA(kCatalogFile, attributes) == platform::winerr::Success &&
                     (attributes & platform::fileattr::Directory) == 0;
  const std::string catalog = InCurrentFolder(env, "KvxIns.ini");
  return found ? "the catalog " + catalog + " lists no model or cannot be read"
               : "the catalog " + catalog + " was not found: run the program from the distribution folder";
}

int ListModels(ProgramEnvironment& env) {
  std::vector<std::string> names;
  for (const std::string& name : ReadSupportedPrinters(env.platform.profile, false))
    if (IsListedModel(name)) names.push_back(name);
  if (names.empty()) {
    env.err << "no models: " << CatalogProblem(env) << '\n';
    return kExitSetupError;
  }
  for (const std::string& name : names) env.out << platform::AnsiToPrintableUtf8(name) << '\n';
  return kExitInstalled;
}

// What the run added to the error log, which is all the user learns of a failure's cause otherwise.
void ReportErrorLog(ProgramEnvironment& env, const ErrorLogWatch& log) {
  const auto lines = log.Lines();
  if (lines.empty()) return;
  env.out.flush();  // after the transcript so far where both streams go to one file
  env.err << "this run's lines of the error log " << InCurrentFolder(env, "errors.log") << ":\n";
  for (const auto& line : lines) {
    env.err << "  " << platform::AnsiToPrintableUtf8(line.text);
    if (line.error != platform::winerr::Success) env.err << "   (not written: error " << line.error << ')';
    env.err << '\n';
  }
}

platform::Platform WithFiles(const platform::Platform& p, platform::FileSystem& files) {
  return {p.clock,     p.registry, p.profile, p.version, p.process,  p.services,  p.spooler, p.messages, files,
          p.libraries, p.devices,  p.threads, p.serial,  p.printing, p.sockets,   p.ipHelper, p.lastError, p.fonts};
}

struct Ending {
  int code;
  const char* outcome;  // the transcript's last line
};

Ending EndingOf(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::Installed: return {kExitInstalled, "installed"};
    case RunOutcome::AlreadyInstalled: return {kExitInstalled, "already-installed"};
    case RunOutcome::PortChanged: return {kExitInstalled, "port-changed"};
    case RunOutcome::Failed: return {kExitInstallFailed, "failed"};
    default: return {kExitNotInstalled, "not-installed"};
  }
}

Ending RunApplication(ProgramEnvironment& env, ui::Kit& kit, const ProgramOptions& options,
                      std::function<void(const std::string&)> printerReady = {}) {
  kit.SetAppName(CTolvInstallerApp::AppNameFromModulePath(env.platform.process.GetModuleFileNameA()));
  AppContext context{env.platform, kit, std::move(printerReady)};
  CTolvInstallerApp app(context, options.flags);
  app.InitInstance();
  return EndingOf(app.runOutcome);
}

int RunUnattended(ProgramEnvironment& outer, const ProgramOptions& options) {
  ErrorLogWatch log(outer.platform.files);
  platform::Platform platform = WithFiles(outer.platform, log);
  ProgramEnvironment env{platform, nullptr, outer.out, outer.err, outer.currentFolder};
  // A settings file that gives nothing is found out before anything is installed.
  settingsfile::PrinterSettings settings;
  if (!options.settingsFile.empty()) {
    if (const std::string problem = ReadSettingsFile(env, options.settingsFile, settings); !problem.empty()) {
      env.err << problem << '\n';
      ui::StreamTranscript(env.out).Outcome("error");
      return kExitSetupError;
    }
  }
  std::optional<bool> settingsApplied;
  const auto printerReady = [&](const std::string& printer) {
    if (!options.settingsFile.empty()) settingsApplied = ApplySettings(env, printer, options.settingsFile, settings);
  };
  ui::headless::ScriptedUser user;
  UnattendedScript script(options);
  script.Apply(user);
  ui::headless::HeadlessKit kit(InstallerResources(), env.platform.process.GetUserDefaultUILanguage(), user);
  ui::StreamTranscript transcript(env.out);
  kit.SetTranscript(transcript);

  Ending ending{};
  try {
    ending = RunApplication(env, kit, options, printerReady);
  } catch (const platform::ProcessExit& exit) {
    // The process ended on the spot (the installation gate): nothing else runs.
    ReportErrorLog(env, log);
    transcript.Outcome("error");
    return static_cast<int>(exit.code);
  }
  // Catalog text is Windows-1252 and may hold control characters.
  if (!script.Notice().empty()) env.err << platform::AnsiToPrintableUtf8(script.Notice()) << '\n';
  if (!script.Problem().empty()) {
    env.err << platform::AnsiToPrintableUtf8(script.Problem());
    if (script.ModelListEmpty()) env.err << ": " << CatalogProblem(env);
    env.err << '\n';
    ending = {kExitSetupError, "error"};
  }
  ReportErrorLog(env, log);
  std::string outcome = ending.outcome;
  if (!options.settingsFile.empty()) outcome += settingsApplied.value_or(false) ? " settings applied" : " settings not-applied";
  // Settings that were asked for and not given leave the run unfinished.
  if (settingsApplied == false && ending.code == kExitInstalled) ending.code = kExitInstallFailed;
  transcript.Outcome(outcome);
  return ending.code;
}

// A command that may fail through the error log: what it added is shown after it.
int WithErrorLog(ProgramEnvironment& outer, int (*command)(const ProgramOptions&, ProgramEnvironment&),
                 const ProgramOptions& options) {
  ErrorLogWatch log(outer.platform.files);
  platform::Platform platform = WithFiles(outer.platform, log);
  ProgramEnvironment env{platform, nullptr, outer.out, outer.err, outer.currentFolder};
  const int code = command(options, env);
  ReportErrorLog(env, log);
  return code;
}

}  // namespace

std::optional<int> AnswerWithoutSystem(const ProgramOptions& options, std::ostream& out, std::ostream& err) {
  if (!options.error.empty()) {
    err << options.error << " (--help lists the options)\n";
    return kExitSetupError;
  }
  if (options.help) {
    out << options.helpText;
    return kExitInstalled;
  }
  if (options.version) {
    out << VersionLine() << '\n';
    return kExitInstalled;
  }
  return std::nullopt;
}

int RunProgram(const ProgramOptions& options, ProgramEnvironment& env) {
  if (const auto code = AnswerWithoutSystem(options, env.out, env.err)) return *code;
  if (options.listModels) return ListModels(env);
  if (options.listPrinters) return ListPrintersCommand(env);
  if (!options.remove.empty()) return WithErrorLog(env, RemovePrintersCommand, options);
  if (!options.exportSettings.empty()) return ExportSettingsCommand(options, env);
  if (!options.importSettings.empty()) return ImportSettingsCommand(options, env);
  if (options.findBoards) return FindBoardsCommand(options, env);
  if (!options.setBoard.empty()) return SetBoardCommand(options, env);
  if (options.unattended || env.interactiveKit == nullptr) return RunUnattended(env, options);
  try {
    return RunApplication(env, *env.interactiveKit, options).code;
  } catch (const platform::ProcessExit& exit) {
    // Where ending the process unwinds (the simulated machine), its code is the exit status.
    return static_cast<int>(exit.code);
  }
}

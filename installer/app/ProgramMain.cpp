#include "app/ProgramMain.h"

#include "app/BoardCommands.h"
#include "app/CPrinterModelDlg.h"
#include "app/CTolvInstallerApp.h"
#include "app/ExitCodes.h"
#include "app/InstallerResources.h"
#include "app/UnattendedScript.h"
#include "engine/Catalog.h"
#include "platform/Windows1252.h"
#include "ui/headless/HeadlessKit.h"

namespace {

int ListModels(ProgramEnvironment& env) {
  for (const std::string& name : ReadSupportedPrinters(env.platform.profile, false)) {
    if (CPrinterModelDlg::IsListedModel(name)) env.out << platform::AnsiToPrintableUtf8(name) << '\n';
  }
  return kExitInstalled;
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

Ending RunApplication(ProgramEnvironment& env, ui::Kit& kit, const ProgramOptions& options) {
  kit.SetAppName(CTolvInstallerApp::AppNameFromModulePath(env.platform.process.GetModuleFileNameA()));
  AppContext context{env.platform, kit};
  CTolvInstallerApp app(context, options.flags);
  app.InitInstance();
  return EndingOf(app.runOutcome);
}

int RunUnattended(ProgramEnvironment& env, const ProgramOptions& options) {
  ui::headless::ScriptedUser user;
  UnattendedScript script(options);
  script.Apply(user);
  ui::headless::HeadlessKit kit(InstallerResources(), env.platform.process.GetUserDefaultUILanguage(), user);
  ui::StreamTranscript transcript(env.out);
  kit.SetTranscript(transcript);

  Ending ending{};
  try {
    ending = RunApplication(env, kit, options);
  } catch (const platform::ProcessExit& exit) {
    // The process ended on the spot (the installation gate): nothing else runs.
    transcript.Outcome("error");
    return static_cast<int>(exit.code);
  }
  // Catalog text is Windows-1252 and may hold control characters.
  if (!script.Notice().empty()) env.err << platform::AnsiToPrintableUtf8(script.Notice()) << '\n';
  if (!script.Problem().empty()) {
    env.err << platform::AnsiToPrintableUtf8(script.Problem()) << '\n';
    ending = {kExitSetupError, "error"};
  }
  transcript.Outcome(ending.outcome);
  return ending.code;
}

}  // namespace

int RunProgram(const ProgramOptions& options, ProgramEnvironment& env) {
  if (!options.error.empty()) {
    env.err << options.error << "\n\n" << options.helpText;
    return kExitSetupError;
  }
  if (options.help) {
    env.out << options.helpText;
    return kExitInstalled;
  }
  if (options.listModels) return ListModels(env);
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

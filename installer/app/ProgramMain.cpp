#include "app/ProgramMain.h"

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
    if (CPrinterModelDlg::IsListedModel(name)) env.out << platform::AnsiToUtf8(name) << '\n';
  }
  return kExitInstalled;
}

int RunApplication(ProgramEnvironment& env, ui::Kit& kit, const ProgramOptions& options) {
  kit.SetAppName(CTolvInstallerApp::AppNameFromModulePath(env.platform.process.GetModuleFileNameA()));
  AppContext context{env.platform, kit};
  CTolvInstallerApp app(context, options.flags);
  app.InitInstance();
  if (!app.installationStarted) return kExitNotInstalled;
  return app.installationSucceeded ? kExitInstalled : kExitInstallFailed;
}

int RunUnattended(ProgramEnvironment& env, const ProgramOptions& options) {
  ui::headless::ScriptedUser user;
  UnattendedScript script(options);
  script.Apply(user);
  ui::headless::HeadlessKit kit(InstallerResources(), env.platform.process.GetUserDefaultUILanguage(), user);
  ui::StreamTranscript transcript(env.out);
  kit.SetTranscript(transcript);

  int code = RunApplication(env, kit, options);
  if (!script.Notice().empty()) env.err << script.Notice() << '\n';
  if (!script.Problem().empty()) {
    env.err << script.Problem() << '\n';
    code = kExitSetupError;
  }
  static constexpr const char* kOutcomes[] = {"installed", "not-installed", "error", "failed"};
  transcript.Outcome(kOutcomes[code]);
  return code;
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
  if (options.unattended || env.interactiveKit == nullptr) return RunUnattended(env, options);
  return RunApplication(env, *env.interactiveKit, options);
}

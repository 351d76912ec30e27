#pragma once
#include <string>
#include <vector>

#include "AppContext.h"
#include "app/RunInstallation.h"
#include "app/CCustomCommandLineInfo.h"

// The application object: reads the command line and the profile flag, then runs the model dialog.
class CTolvInstallerApp {
public:
  CTolvInstallerApp(AppContext& context, CCustomCommandLineInfo commandLine);

  // Start-up; always false: the program ends when the model dialog closes.
  bool InitInstance();

  // How the model dialog's run ended, for the program's exit code.
  intptr_t modelDialogResult = 0;
  RunOutcome runOutcome = RunOutcome::NotRun;

  // The executable's base name, as the framework takes it.
  static std::string AppNameFromModulePath(const std::string& modulePath);

private:
  AppContext& context_;
  CCustomCommandLineInfo commandLine_;
};

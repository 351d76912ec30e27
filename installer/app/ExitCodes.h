#pragma once

// The program's exit codes.
enum ExitCode : int {
  kExitInstalled = 0,      // a printer was installed, or an informational option ran
  kExitNotInstalled = 1,   // the wizard ended without installing
  kExitSetupError = 2,     // bad option value, unreadable machine, model not offered
  kExitInstallFailed = 3,  // the installation ran and failed
};

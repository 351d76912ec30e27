#pragma once
#include <ostream>

#include "app/ProgramOptions.h"
#include "platform/Platform.h"
#include "ui/Kit.h"

struct ProgramEnvironment {
  platform::Platform& platform;
  ui::Kit* interactiveKit;  // null where there are no windows: the wizard then runs unattended
  std::ostream& out;
  std::ostream& err;
};

// The program from its options to its exit code, the same in every build.
int RunProgram(const ProgramOptions& options, ProgramEnvironment& environment);

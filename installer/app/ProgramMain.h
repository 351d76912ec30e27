#pragma once
#include <filesystem>
#include <optional>
#include <ostream>

#include "app/ProgramOptions.h"
#include "platform/Platform.h"
#include "ui/Kit.h"

struct ProgramEnvironment {
  platform::Platform& platform;
  ui::Kit* interactiveKit;  // null where there are no windows: the wizard then runs unattended
  std::ostream& out;
  std::ostream& err;
  // The program's current directory as the person sees it: where the catalog and the error log are.
  std::filesystem::path currentFolder;
};

// The program from its options to its exit code, the same in every build.
int RunProgram(const ProgramOptions& options, ProgramEnvironment& environment);

// The exit code of a command line answered without looking at the system (a fault in it, or
// --help); none when the program has work to do.
std::optional<int> AnswerWithoutSystem(const ProgramOptions& options, std::ostream& out, std::ostream& err);

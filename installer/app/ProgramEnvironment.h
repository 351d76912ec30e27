#pragma once
#include <filesystem>
#include <ostream>

#include "platform/Platform.h"
#include "ui/Kit.h"

// What the program runs against: the system, the windows if there are any, and the console.
struct ProgramEnvironment {
  platform::Platform& platform;
  ui::Kit* interactiveKit;  // null where there are no windows: the wizard then runs unattended
  std::ostream& out;
  std::ostream& err;
  // The program's current directory as the person sees it: where the catalog and the error log are.
  std::filesystem::path currentFolder;
};

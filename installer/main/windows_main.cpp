// The Windows program: real dialogs on the real system, or the unattended wizard with a transcript.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/ProgramMain.h"
#include "app/ProgramOptions.h"
#include "platform/win32/Console.h"
#include "platform/win32/Win32Platform.h"
#include "ui/win32/Win32Kit.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const ProgramOptions options = ParseProgramOptions(args);
  if (WantsConsoleOutput(options)) platform::win32::AttachOutputConsole();

  platform::win32::Win32Platform system;
  platform::Platform platform = system.platform();
  ui::win32::Win32Kit kit;
  std::error_code ec;
  ProgramEnvironment environment{platform, &kit, std::cout, std::cerr, std::filesystem::current_path(ec)};
  const int code = RunProgram(options, environment);
  std::cout.flush();
  std::cerr.flush();
  return code;
}

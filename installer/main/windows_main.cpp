// The Windows program: real dialogs on the real system, or the unattended wizard with a transcript.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/ExitCodes.h"
#include "app/MediaFolder.h"
#include "app/ProgramMain.h"
#include "app/ProgramOptions.h"
#include "platform/win32/Console.h"
#include "platform/win32/Win32Platform.h"
#include "ui/win32/Win32Kit.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const ProgramOptions options = ParseProgramOptions(args);
  if (WantsConsoleOutput(options)) platform::win32::AttachOutputConsole();
  if (const auto code = AnswerWithoutSystem(options, std::cout, std::cerr)) {
    std::cout.flush();
    return *code;
  }
  // The program is started from the distribution folder unless --media names it.
  std::error_code ec;
  const std::filesystem::path media = MediaFolder(options.mediaDir, {}, {}, std::filesystem::current_path(ec));
  if (const std::string problem = EnterMediaFolder(media); !problem.empty()) {
    std::cerr << "error: " << problem << '\n';
    return kExitSetupError;
  }

  platform::win32::Win32Platform system;
  platform::Platform platform = system.platform();
  ui::win32::Win32Kit kit;
  ProgramEnvironment environment{platform, &kit, std::cout, std::cerr, media};
  const int code = RunProgram(options, environment);
  std::cout.flush();
  std::cerr.flush();
  return code;
}

// The Linux program: the installer run headless against a simulated Windows machine kept in a folder.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "app/ExitCodes.h"
#include "app/InstallerResources.h"
#include "app/MediaFolder.h"
#include "app/ProgramMain.h"
#include "app/ProgramOptions.h"
#include "platform/Windows1252.h"
#include "platform/posix/PosixClock.h"
#include "platform/posix/PosixIpHelper.h"
#include "platform/posix/PosixSockets.h"
#include "platform/sim/HostPath.h"
#include "platform/sim/SimMachine.h"

namespace {

// Where the Debian package puts the distribution media, seen from the program's folder (packaging/
// installs the program in bin/ and the media in share/kvxinstaller).
constexpr const char* kInstalledMedia = "../share/kvxinstaller";

std::filesystem::path DefaultMachineDir() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return std::filesystem::path(data) / "kvx-machine";
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home && *home ? home : ".") / ".local" / "share" / "kvx-machine";
}

// The machine's services with this computer's own network in place of the simulated one; real
// replies take real time, so the waits are real too.
platform::Platform WithHostNetwork(const platform::Platform& machine, platform::Clock& clock,
                                   platform::Sockets& sockets, platform::IpHelper& ipHelper) {
  return {clock,           machine.registry, machine.profile,   machine.version, machine.process, machine.services,
          machine.spooler, machine.messages, machine.files,     machine.libraries, machine.devices, machine.threads,
          machine.serial,  machine.printing, sockets,           ipHelper,         machine.lastError,
          machine.fonts};
}

// A file the person names on the command line, as the machine's programs see it: the host's own
// file, on the drive that is the host's whole file system.
std::string MachineFileName(const std::string& name) {
  std::error_code ec;
  std::string path = std::filesystem::absolute(name, ec).lexically_normal().string();
  for (char& c : path)
    if (c == '/') c = '\\';
  return platform::Utf8ToAnsiLossy(std::string{platform::sim::kHostDrive, ':'} + path);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  ProgramOptions options = ParseProgramOptions(args);
  // Nothing of the machine is read or written for a command line that cannot be carried out, nor for help.
  if (const auto code = AnswerWithoutSystem(options, std::cout, std::cerr)) return *code;
  // The terminal speaks UTF-8; the system's text is Windows-1252.
  options.model = platform::Utf8ToAnsiLossy(options.model);
  // Host paths of the command line are taken from where the program was started, before the media
  // folder becomes the current directory.
  for (std::vector<std::string>* pair : {&options.exportSettings, &options.importSettings}) {
    if (pair->size() != 2) continue;
    (*pair)[0] = platform::Utf8ToAnsiLossy((*pair)[0]);
    (*pair)[1] = MachineFileName((*pair)[1]);
  }
  if (!options.settingsFile.empty()) options.settingsFile = MachineFileName(options.settingsFile);
  std::error_code ec;
  const std::filesystem::path started = std::filesystem::current_path(ec);
  const std::filesystem::path machineDir =
      started / (options.machineDir ? std::filesystem::path(*options.machineDir) : DefaultMachineDir());
  const std::filesystem::path media =
      MediaFolder(options.mediaDir, std::filesystem::read_symlink("/proc/self/exe", ec), kInstalledMedia, started);
  if (const std::string problem = EnterMediaFolder(media); !problem.empty()) {
    std::cerr << "error: " << problem << '\n';
    return kExitSetupError;
  }
  std::cerr << "machine: " << machineDir.string() << '\n';
  // Commands that only look: the machine is read as it is (the default one when the folder has none) and never saved.
  const bool readOnly = options.listModels || options.findBoards;

  std::unique_ptr<platform::sim::SimMachine> machine;
  try {
    machine = readOnly ? platform::sim::SimMachine::OpenFolderToRead(machineDir)
                       : platform::sim::SimMachine::OpenFolder(machineDir);
    // A run whose end could not be saved would leave drive_c and machine.json telling two stories.
    if (!readOnly) machine->CheckSavable();
  } catch (const platform::sim::MachineFileError& e) {
    std::cerr << "error: " << e.what() << '\n';
    return kExitSetupError;
  }

  // The program's bitmaps travel inside it, not in a resource section.
  machine->printing().SetProgramBitmaps(InstallerBitmapFile);
  platform::posix::PosixClock hostClock;
  platform::posix::PosixSockets hostSockets;
  platform::posix::PosixIpHelper hostAdapters;
  const platform::Platform simulated = machine->platform();
  platform::Platform platform =
      options.network == "host" ? WithHostNetwork(simulated, hostClock, hostSockets, hostAdapters) : simulated;
  ProgramEnvironment environment{platform, nullptr, std::cout, std::cerr, media};
  const int code = RunProgram(options, environment);
  if (readOnly) return code;
  try {
    machine->Save();
  } catch (const platform::sim::MachineFileError& e) {
    std::cerr << "error: " << e.what() << '\n';
    return kExitSetupError;
  }
  return code;
}

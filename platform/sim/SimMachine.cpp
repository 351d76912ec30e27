#include "platform/sim/SimMachine.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/sim/MachineFile.h"

namespace platform::sim {
namespace fs = std::filesystem;

namespace {

// A machine.json larger than this is refused: its parsed form would take many times the memory.
constexpr std::uintmax_t kMaxMachineFile = 16 * 1024 * 1024;

[[noreturn]] void FailErrno(const fs::path& file, const char* what, int error) {
  throw MachineFileError(file.string() + ": " + what + ": " + std::strerror(error));
}

// Replaces `file` with `text` so that, whatever fails, it holds either its old text or the new one:
// a temporary file beside it is written, flushed to the disk and renamed over it.
void ReplaceFile(const fs::path& file, const std::string& text) {
  fs::path temp = file;
  temp += ".tmp";
  // Never through a symbolic link: a leftover link would have the write land elsewhere.
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) FailErrno(temp, "cannot be written", errno);
  const auto abandon = [&](const fs::path& which, const char* what) {
    const int error = errno;
    ::close(fd);
    ::unlink(temp.c_str());
    FailErrno(which, what, error);
  };
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) abandon(temp, "cannot be written");
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd) != 0) abandon(temp, "cannot be flushed to the disk");
  if (::close(fd) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    FailErrno(temp, "cannot be written", error);
  }
  if (::rename(temp.c_str(), file.c_str()) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    FailErrno(file, "cannot be replaced", error);
  }
  // The rename reaches the disk with the folder; where a folder cannot be flushed, it stands all the same.
  const fs::path folder = file.parent_path().empty() ? fs::path(".") : file.parent_path();
  if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

void MakeFolder(const fs::path& dir) {
  std::error_code ec;
  fs::create_directories(dir, ec);
  if (ec || !fs::is_directory(dir)) {
    throw MachineFileError(dir.string() + ": cannot create the machine folder" + (ec ? ": " + ec.message() : ""));
  }
}

}  // namespace

SimMachine::SimMachine(fs::path folder, bool temporary, std::unique_ptr<MachineConfig> config,
                       std::unique_ptr<nlohmann::ordered_json> document, std::shared_ptr<RegistryTree> tree,
                       SpoolerState spooler)
    : folder_(std::move(folder)),
      driveC_(folder_ / "drive_c"),
      temporary_(temporary),
      config_(std::move(config)),
      document_(std::move(document)),
      tree_(std::move(tree)),
      faults_(std::make_shared<FaultInjector>()),
      handles_(std::make_shared<HandleTable>()),
      privileges_(std::make_shared<TokenPrivileges>(config_->user)),
      clock_(std::make_shared<SimClock>(config_->startTick)),
      registry_(std::make_unique<SimRegistry>(tree_, faults_, handles_, *config_, driveC_, privileges_)),
      profile_(std::make_unique<SimProfile>(driveC_, faults_, *config_)),
      version_(std::make_unique<SimVersion>(*config_, faults_)),
      process_(std::make_unique<SimProcess>(*config_, faults_, handles_, privileges_)),
      services_(std::make_unique<SimServiceControl>(*config_, *clock_, faults_, handles_)),
      messages_(std::make_unique<SimWindowMessages>(faults_)),
      fileAccess_(std::make_unique<FileAccess>(*config_, driveC_)),
      files_(std::make_unique<SimFileSystem>(driveC_, faults_, *fileAccess_)),
      libraries_(std::make_unique<SimLibraries>(*document_, faults_, handles_)),
      devices_(std::make_unique<SimDeviceSetup>(*document_, driveC_, tree_, faults_, handles_, *config_)) {
  MakeFolder(driveC_);
  spooler_ = std::make_unique<SimPrintSpooler>(std::move(spooler), driveC_, *config_, *services_, tree_, faults_,
                                               handles_);
  fileAccess_->SetLoadedCheck([this](const fs::path& file) { return spooler_->HoldsFile(file); });
  threads_ = std::make_unique<SimThreads>(clock_, faults_);
  printing_ = std::make_unique<SimPrinting>(*spooler_, faults_, handles_);
  serial_ = std::make_unique<SimSerial>(*config_, *document_, clock_, faults_, handles_);
  network_ = std::make_unique<SimNetwork>(*document_, clock_, faults_, handles_);
  fonts_ = std::make_unique<SimFonts>(*document_, machineFile().string());
  locked_ = std::make_unique<LockedServices>(
      mutex_, Platform{*clock_, *registry_, *profile_, *version_, *process_, *services_, *spooler_, *messages_,
                       *files_, *libraries_, *devices_, *threads_, *serial_, *printing_, *network_->sockets(), *network_->ipHelper(), lastError_,
                       *fonts_});
}

SimMachine::~SimMachine() {
  if (temporary_) {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
}

std::unique_ptr<SimMachine> SimMachine::CreateDefault(fs::path folder, bool temporary) {
  auto tree = std::make_shared<RegistryTree>();
  AddDefaultRegistryKeys(*tree);
  auto machine = std::unique_ptr<SimMachine>(new SimMachine(std::move(folder), temporary,
                                                            std::make_unique<MachineConfig>(),
                                                            std::make_unique<nlohmann::ordered_json>(DefaultMachineDocument()),
                                                            std::move(tree), SpoolerState{}));
  // Windows comes with its kernel drivers' folder; copies into it must find it there.
  MakeFolder(machine->driveC_ / "Windows" / "System32" / "drivers");
  return machine;
}

std::unique_ptr<SimMachine> SimMachine::OpenFolder(const fs::path& dir) {
  const fs::path file = dir / "machine.json";
  std::error_code ec;
  const fs::file_status status = fs::status(file, ec);
  if (ec && status.type() != fs::file_type::not_found) {
    throw MachineFileError(file.string() + ": cannot be looked at: " + ec.message());
  }
  if (!fs::exists(status)) {
    MakeFolder(dir);
    auto machine = CreateDefault(dir, false);
    machine->Save();
    return machine;
  }
  // A folder, a pipe or a device would fail, block or never end.
  if (!fs::is_regular_file(status)) throw MachineFileError(file.string() + ": not a regular file");
  const std::uintmax_t size = fs::file_size(file, ec);
  if (ec) throw MachineFileError(file.string() + ": cannot be read: " + ec.message());
  if (size > kMaxMachineFile) {
    throw MachineFileError(file.string() + ": larger than " + std::to_string(kMaxMachineFile / (1024 * 1024)) + " MB");
  }
  std::ifstream in(file, std::ios::binary);
  std::string text(static_cast<std::size_t>(size), '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (!in.is_open() || in.bad()) throw MachineFileError(file.string() + ": cannot be read");
  text.resize(static_cast<std::size_t>(in.gcount()));

  auto config = std::make_unique<MachineConfig>();
  auto document = std::make_unique<nlohmann::ordered_json>();
  auto tree = std::make_shared<RegistryTree>();
  SpoolerState spooler;
  ParseMachineFile(text, file.string(), *config, *tree, spooler, *document);
  return std::unique_ptr<SimMachine>(
      new SimMachine(dir, false, std::move(config), std::move(document), std::move(tree), std::move(spooler)));
}

std::unique_ptr<SimMachine> SimMachine::InMemory() {
  std::string pattern = (fs::temp_directory_path() / "kvx-machine-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw MachineFileError(pattern + ": cannot create a temporary machine folder");
  return CreateDefault(pattern, true);
}

void SimMachine::Save() {
  const auto lock = Lock();
  services_->SettleAll();
  ReplaceFile(machineFile(), FormatMachineFile(*config_, *tree_, spooler_->Snapshot(), *document_));
}

Platform SimMachine::platform() {
  return locked_->platform();
}

}  // namespace platform::sim

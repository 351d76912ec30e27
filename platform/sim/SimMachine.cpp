#include "platform/sim/SimMachine.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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
// Far more than one run adds (a driver, a printer with its keys, a test page), so that the file a run
// starts from is saved within the limit.
constexpr std::uintmax_t kRunGrowthRoom = 1024 * 1024;

// "16 MB", "15.3 MB".
std::string Megabytes(std::uintmax_t bytes) {
  char text[32];
  const double megabytes = static_cast<double>(bytes) / (1024.0 * 1024.0);
  std::snprintf(text, sizeof text, bytes % (1024 * 1024) == 0 ? "%.0f MB" : "%.1f MB", megabytes);
  return text;
}

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

// Throws the error ReplaceFile would meet at its first step, which is tried and undone: a temporary
// file made here is removed again, one that was there is kept.
void CheckReplaceable(const fs::path& file) {
  fs::path temp = file;
  temp += ".tmp";
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  const bool created = fd >= 0;
  if (!created && errno == EEXIST) fd = ::open(temp.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) FailErrno(temp, "cannot be written", errno);
  ::close(fd);
  if (created) ::unlink(temp.c_str());
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
      registry_(std::make_unique<SimRegistry>(lock_, tree_, faults_, handles_, *config_, driveC_, privileges_)),
      profile_(std::make_unique<SimProfile>(lock_, driveC_, faults_, *config_)),
      version_(std::make_unique<SimVersion>(lock_, *config_, faults_)),
      process_(std::make_unique<SimProcess>(lock_, *config_, faults_, handles_, privileges_)),
      services_(std::make_unique<SimServiceControl>(lock_, *config_, *clock_, faults_, handles_)),
      messages_(std::make_unique<SimWindowMessages>(lock_, faults_)),
      fileAccess_(std::make_unique<FileAccess>(*config_, driveC_)),
      files_(std::make_unique<SimFileSystem>(lock_, driveC_, faults_, *fileAccess_)),
      libraries_(std::make_unique<SimLibraries>(lock_, *document_, faults_, handles_)),
      devices_(std::make_unique<SimDeviceSetup>(lock_, *document_, driveC_, tree_, faults_, handles_, *config_)) {
  MakeFolder(driveC_);
  spooler_ = std::make_unique<SimPrintSpooler>(lock_, std::move(spooler), driveC_, *config_, *services_, tree_, faults_,
                                               handles_);
  fileAccess_->SetLoadedCheck([this](const fs::path& file) { return spooler_->HoldsFile(file); });
  threads_ = std::make_unique<SimThreads>(clock_, faults_);
  printing_ = std::make_unique<SimPrinting>(lock_, *spooler_, faults_, handles_);
  serial_ = std::make_unique<SimSerial>(lock_, *config_, *document_, clock_, faults_, handles_);
  network_ = std::make_unique<SimNetwork>(lock_, *document_, clock_, faults_, handles_);
  fonts_ = std::make_unique<SimFonts>(lock_, *document_, machineFile().string());
}

SimMachine::~SimMachine() {
  if (temporary_) {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
}

std::unique_ptr<SimMachine> SimMachine::FromText(fs::path folder, bool temporary, const std::string& text,
                                                 const std::string& label) {
  auto config = std::make_unique<MachineConfig>();
  auto document = std::make_unique<nlohmann::ordered_json>();
  auto tree = std::make_shared<RegistryTree>();
  SpoolerState spooler;
  ParseMachineFile(text, label, *config, *tree, spooler, *document);
  return std::unique_ptr<SimMachine>(new SimMachine(std::move(folder), temporary, std::move(config),
                                                    std::move(document), std::move(tree), std::move(spooler)));
}

std::unique_ptr<SimMachine> SimMachine::CreateDefault(fs::path folder, bool temporary) {
  auto machine = FromText(std::move(folder), temporary, DefaultMachineFile(), "the default machine");
  // Windows comes with its kernel drivers' folder; copies into it must find it there.
  MakeFolder(machine->driveC_ / "Windows" / "System32" / "drivers");
  return machine;
}

std::unique_ptr<SimMachine> SimMachine::OpenFolder(const fs::path& dir) {
  if (auto machine = Load(dir)) return machine;
  MakeFolder(dir);
  CheckReplaceable(dir / "machine.json");  // before drive_c is made
  auto machine = CreateDefault(dir, false);
  machine->Save();
  return machine;
}

std::unique_ptr<SimMachine> SimMachine::OpenFolderToRead(const fs::path& dir) {
  if (auto machine = Load(dir)) return machine;
  return InMemory();
}

std::unique_ptr<SimMachine> SimMachine::Load(const fs::path& dir) {
  const fs::path file = dir / "machine.json";
  std::error_code ec;
  const fs::file_status status = fs::status(file, ec);
  if (ec && status.type() != fs::file_type::not_found) {
    throw MachineFileError(file.string() + ": cannot be looked at: " + ec.message());
  }
  if (!fs::exists(status)) return nullptr;
  // A folder, a pipe or a device would fail, block or never end.
  if (!fs::is_regular_file(status)) throw MachineFileError(file.string() + ": not a regular file");
  const std::uintmax_t size = fs::file_size(file, ec);
  if (ec) throw MachineFileError(file.string() + ": cannot be read: " + ec.message());
  if (size > kMaxMachineFile) {
    throw MachineFileError(file.string() + ": larger than " + Megabytes(kMaxMachineFile));
  }
  std::ifstream in(file, std::ios::binary);
  std::string text(static_cast<std::size_t>(size), '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (!in.is_open() || in.bad()) throw MachineFileError(file.string() + ": cannot be read");
  text.resize(static_cast<std::size_t>(in.gcount()));

  return FromText(dir, false, text, file.string());
}

std::unique_ptr<SimMachine> SimMachine::InMemory() {
  std::string pattern = (fs::temp_directory_path() / "kvx-machine-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw MachineFileError(pattern + ": cannot create a temporary machine folder");
  return CreateDefault(pattern, true);
}

nlohmann::ordered_json SimMachine::Document() {
  return MachineFileDocument(*config_, *tree_, spooler_->Snapshot(), *document_);
}

void SimMachine::Save() {
  const auto lock = Lock();
  services_->SettleAll();
  // Indented for a person to read; a machine that large is written on one line so that it loads again.
  const nlohmann::ordered_json document = Document();
  std::string text = document.dump(2) + "\n";
  if (text.size() > kMaxMachineFile) text = document.dump() + "\n";
  if (text.size() > kMaxMachineFile) {
    throw MachineFileError(machineFile().string() + ": not saved: it would take " + Megabytes(text.size()) +
                           ", more than the " + Megabytes(kMaxMachineFile) + " a machine file may have");
  }
  ReplaceFile(machineFile(), text);
}

void SimMachine::CheckSavable() {
  const auto lock = Lock();
  const fs::path file = machineFile();
  CheckReplaceable(file);
  const std::size_t size = Document().dump().size() + 1 + devices_->UnmadeKeysSize();
  if (size + kRunGrowthRoom > kMaxMachineFile) {
    throw MachineFileError(file.string() + ": saved after a run this machine would take about " +
                           Megabytes(size + kRunGrowthRoom) + ", more than the " + Megabytes(kMaxMachineFile) +
                           " a machine file may have: remove what it no longer needs (devices, printers and their "
                           "printed jobs, registry keys)");
  }
}

Platform SimMachine::platform() {
  return Platform{*clock_,   *registry_, *profile_, *version_,   *process_, *services_,
                  *spooler_, *messages_, *files_,   *libraries_, *devices_, *threads_,
                  *serial_,  *printing_, *network_->sockets(),   *network_->ipHelper(), lastError_, *fonts_};
}

}  // namespace platform::sim

#include "platform/sim/SimMachine.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <nlohmann/json.hpp>

#include "platform/sim/MachineFile.h"

namespace platform::sim {
namespace fs = std::filesystem;

namespace {

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
      clock_(std::make_shared<SimClock>(config_->startTick)),
      registry_(std::make_unique<SimRegistry>(tree_, faults_, handles_, *config_)),
      profile_(std::make_unique<SimProfile>(driveC_, faults_, *config_)),
      version_(std::make_unique<SimVersion>(*config_, faults_)),
      process_(std::make_unique<SimProcess>(*config_, faults_)),
      services_(std::make_unique<SimServiceControl>(*config_, *clock_, faults_, handles_)),
      messages_(std::make_unique<SimWindowMessages>(faults_)),
      fileAccess_(std::make_unique<FileAccess>(*config_, driveC_)),
      files_(std::make_unique<SimFileSystem>(driveC_, faults_, *fileAccess_)),
      libraries_(std::make_unique<SimLibraries>(*document_, faults_, handles_)),
      devices_(std::make_unique<SimDeviceSetup>(*document_, driveC_, tree_, faults_, handles_, *config_)) {
  MakeFolder(driveC_);
  spooler_ = std::make_unique<SimPrintSpooler>(std::move(spooler), driveC_, *config_, *services_, faults_, handles_);
  fileAccess_->SetLoadedCheck([this](const fs::path& file) { return spooler_->HoldsFile(file); });
  threads_ = std::make_unique<SimThreads>(clock_, faults_);
  printing_ = std::make_unique<SimPrinting>(*spooler_, faults_, handles_);
  serial_ = std::make_unique<SimSerial>(*config_, *document_, clock_, faults_, handles_);
  locked_ = std::make_unique<LockedServices>(
      mutex_, Platform{*clock_, *registry_, *profile_, *version_, *process_, *services_, *spooler_, *messages_,
                       *files_, *libraries_, *devices_, *threads_, *serial_, *printing_});
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
  return std::unique_ptr<SimMachine>(new SimMachine(std::move(folder), temporary, std::make_unique<MachineConfig>(),
                                                    std::make_unique<nlohmann::ordered_json>(DefaultMachineDocument()),
                                                    std::move(tree), SpoolerState{}));
}

std::unique_ptr<SimMachine> SimMachine::OpenFolder(const fs::path& dir) {
  const fs::path file = dir / "machine.json";
  std::error_code ec;
  const bool exists = fs::exists(file, ec);
  if (ec) throw MachineFileError(file.string() + ": cannot be looked at: " + ec.message());
  if (!exists) {
    MakeFolder(dir);
    auto machine = CreateDefault(dir, false);
    machine->Save();
    return machine;
  }
  std::ifstream in(file, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) throw MachineFileError(file.string() + ": cannot be read");

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
  const std::string text = FormatMachineFile(*config_, *tree_, spooler_->Snapshot(), *document_);
  const fs::path file = machineFile();
  fs::path temp = file;
  temp += ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) throw MachineFileError(temp.string() + ": cannot be written");
  }
  std::error_code ec;
  fs::rename(temp, file, ec);
  if (ec) throw MachineFileError(file.string() + ": cannot be replaced: " + ec.message());
}

Platform SimMachine::platform() {
  return locked_->platform();
}

}  // namespace platform::sim

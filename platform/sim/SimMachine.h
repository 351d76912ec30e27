#pragma once
// The simulated Windows machine: its settings, registry and services, kept in a folder as
// machine.json (see MachineFile.h) plus drive_c/, the machine's C: drive.
#include <filesystem>
#include <memory>
#include <mutex>

#include <nlohmann/json_fwd.hpp>

#include "platform/Platform.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/FileAccess.h"
#include "platform/sim/HandleTable.h"
#include "platform/sim/MachineConfig.h"
#include "platform/sim/MachineFileError.h"
#include "platform/sim/MachineLock.h"
#include "platform/sim/RegistryTree.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimDeviceSetup.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimFonts.h"
#include "platform/sim/SimLastError.h"
#include "platform/sim/SimLibraries.h"
#include "platform/sim/SimNetwork.h"
#include "platform/sim/SimPrintSpooler.h"
#include "platform/sim/SimPrinting.h"
#include "platform/sim/SimProcess.h"
#include "platform/sim/SimProfile.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimSerial.h"
#include "platform/sim/SimServiceControl.h"
#include "platform/sim/SimThreads.h"
#include "platform/sim/SimVersion.h"
#include "platform/sim/SimWindowMessages.h"
#include "platform/sim/SpoolerState.h"

namespace platform::sim {

class SimMachine {
public:
  // Loads dir/machine.json; a folder without one gets the default machine, written there at once.
  // Throws MachineFileError for a file that cannot be used, leaving it untouched.
  static std::unique_ptr<SimMachine> OpenFolder(const std::filesystem::path& dir);
  // Loads dir/machine.json for a look that changes nothing: a folder without one reads as the
  // default machine, and nothing is written there.
  static std::unique_ptr<SimMachine> OpenFolderToRead(const std::filesystem::path& dir);
  // A default machine in a temporary folder that is removed with the machine.
  static std::unique_ptr<SimMachine> InMemory();

  ~SimMachine();
  SimMachine(const SimMachine&) = delete;
  SimMachine& operator=(const SimMachine&) = delete;

  // Writes machine.json through a temporary file beside it, flushed and renamed over it, so a reader
  // never sees half of it and a failure keeps the earlier file. Throws MachineFileError.
  void Save();
  // Throws MachineFileError, changing nothing, when a run's end could not be saved: the folder
  // refuses the save's temporary file, or the machine leaves no room to grow within the file's limit.
  void CheckSavable();
  // The services as the system sees them: safe to call from two threads at once (MachineLock.h).
  Platform platform();
  // The machine's one lock, for a test that edits the machine directly while a thread runs on it.
  std::unique_lock<std::recursive_mutex> Lock() { return lock_.Hold(); }

  const std::filesystem::path& folder() const { return folder_; }
  std::filesystem::path machineFile() const { return folder_ / "machine.json"; }
  const std::filesystem::path& driveC() const { return driveC_; }

  MachineConfig& config() { return *config_; }
  // The members of machine.json the machine keeps as data for services to come
  // ("networkAdapters", "ports" but its local port lists, which are the spooler's, and any other);
  // Save writes them back.
  nlohmann::ordered_json& document() { return *document_; }

  SimClock& clock() { return *clock_; }
  SimRegistry& registry() { return *registry_; }
  SimProfile& profile() { return *profile_; }
  SimVersion& version() { return *version_; }
  SimProcess& process() { return *process_; }
  SimServiceControl& services() { return *services_; }
  SimPrintSpooler& spooler() { return *spooler_; }
  SimWindowMessages& messages() { return *messages_; }
  SimFileSystem& files() { return *files_; }
  SimLibraries& libraries() { return *libraries_; }
  SimDeviceSetup& devices() { return *devices_; }
  RegistryTree& registryTree() { return *tree_; }
  FaultInjector& faults() { return *faults_; }
  HandleTable& handles() { return *handles_; }
  SimThreads& threads() { return *threads_; }
  SimSerial& serial() { return *serial_; }
  SimPrinting& printing() { return *printing_; }
  SimNetwork& network() { return *network_; }
  SimFonts& fonts() { return *fonts_; }
  SimLastError& lastError() { return lastError_; }

private:
  SimMachine(std::filesystem::path folder, bool temporary, std::unique_ptr<MachineConfig> config,
             std::unique_ptr<nlohmann::ordered_json> document, std::shared_ptr<RegistryTree> tree,
             SpoolerState spooler);
  static std::unique_ptr<SimMachine> CreateDefault(std::filesystem::path folder, bool temporary);
  // A machine from machine.json text; `label` names the file in errors.
  static std::unique_ptr<SimMachine> FromText(std::filesystem::path folder, bool temporary, const std::string& text,
                                              const std::string& label);
  // Null when the folder has no machine.json.
  static std::unique_ptr<SimMachine> Load(const std::filesystem::path& dir);
  nlohmann::ordered_json Document();

  std::filesystem::path folder_;
  std::filesystem::path driveC_;
  bool temporary_;
  std::unique_ptr<MachineConfig> config_;
  std::unique_ptr<nlohmann::ordered_json> document_;
  std::shared_ptr<RegistryTree> tree_;
  std::shared_ptr<FaultInjector> faults_;
  std::shared_ptr<HandleTable> handles_;
  std::shared_ptr<TokenPrivileges> privileges_;  // the process token's, for this run only
  MachineLock lock_;
  std::shared_ptr<SimClock> clock_;
  std::unique_ptr<SimRegistry> registry_;
  std::unique_ptr<SimProfile> profile_;
  std::unique_ptr<SimVersion> version_;
  std::unique_ptr<SimProcess> process_;
  std::unique_ptr<SimServiceControl> services_;
  std::unique_ptr<SimPrintSpooler> spooler_;
  std::unique_ptr<SimWindowMessages> messages_;
  std::unique_ptr<FileAccess> fileAccess_;
  std::unique_ptr<SimFileSystem> files_;
  std::unique_ptr<SimLibraries> libraries_;
  std::unique_ptr<SimDeviceSetup> devices_;
  std::unique_ptr<SimThreads> threads_;
  SimLastError lastError_;
  std::unique_ptr<SimSerial> serial_;
  std::unique_ptr<SimPrinting> printing_;
  std::unique_ptr<SimNetwork> network_;
  std::unique_ptr<SimFonts> fonts_;
};

}  // namespace platform::sim

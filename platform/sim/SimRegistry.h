#pragma once
// platform::Registry on the simulated registry tree, with Windows' results: 2 for a missing key
// or value, 5 for using a handle without the access it needs. A user without administrative rights
// may only read under HKEY_LOCAL_MACHINE: opening a key there for any change, or creating one, answers 5.
// Every open key is accounted in the handle table. A key saves to and restores from a binary hive
// file on the machine's drives (RegistryHive.h), with the process token's privileges.
#include <filesystem>
#include <memory>

#include "platform/Registry.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/HandleTable.h"
#include "platform/sim/MachineLock.h"
#include "platform/sim/MachineConfig.h"
#include "platform/sim/RegistryTree.h"
#include "platform/sim/SimAccessToken.h"

namespace platform::sim {

class SimRegistry : public Registry {
public:
  SimRegistry(MachineLock lock, std::shared_ptr<RegistryTree> tree, std::shared_ptr<FaultInjector> faults,
              std::shared_ptr<HandleTable> handles, const MachineConfig& config, std::filesystem::path driveC,
              std::shared_ptr<TokenPrivileges> privileges);

  LONG OpenKey(RootKey root, const std::string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) override;
  // A name with a character Windows-1252 lacks names no key of this machine: 2.
  LONG OpenKeyW(RootKey root, const std::u16string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) override;
  LONG CreateKey(RootKey root, const std::string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) override;
  LONG DeleteKey(RootKey root, const std::string& subKey) override;
  // The file is read whole into a key of its own, beside the machine's registry.
  LONG LoadAppKeyW(const std::u16string& file, DWORD access, std::unique_ptr<RegistryKey>& out) override;

  struct Services {
    MachineLock lock;
    std::shared_ptr<RegistryTree> tree;
    std::shared_ptr<FaultInjector> faults;
    std::shared_ptr<HandleTable> handles;
    const UserConfig& user;  // only read by calls, never when a key outliving the machine closes
    std::filesystem::path driveC;
    std::shared_ptr<TokenPrivileges> privileges;  // may be null
  };

private:
  // Shared with every key handed out, so a key outliving the machine stays safe to close.
  std::shared_ptr<const Services> services_;
};

}  // namespace platform::sim

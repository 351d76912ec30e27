#pragma once
// The process token of the simulated machine. An administrator holds SeBackupPrivilege and
// SeRestorePrivilege, a standard user neither; each starts disabled and stays as adjusted for the
// rest of the machine's run (one process token per run). Tokens are accounted in the handle table.
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "platform/AccessToken.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/HandleTable.h"
#include "platform/sim/MachineConfig.h"
#include "platform/sim/MachineLock.h"

namespace platform::sim {

namespace privilege {
constexpr DWORD Backup = 17;   // SE_BACKUP_PRIVILEGE
constexpr DWORD Restore = 18;  // SE_RESTORE_PRIVILEGE
}  // namespace privilege

class TokenPrivileges {
public:
  explicit TokenPrivileges(const UserConfig& user) : user_(user) {}
  bool Held(const Luid& luid) const;
  bool Enabled(const Luid& luid) const;
  // False, changing nothing, when the account does not hold it.
  bool Set(const Luid& luid, bool enabled);

private:
  const UserConfig& user_;
  mutable std::mutex mutex_;
  std::set<DWORD> enabled_;
};

// The LUID of a privilege name as the local system knows it (case ignored), or nullopt.
std::optional<Luid> PrivilegeLuid(const std::u16string& name);

class SimAccessToken final : public AccessToken {
public:
  SimAccessToken(MachineLock lock, std::shared_ptr<TokenPrivileges> privileges, std::shared_ptr<FaultInjector> faults,
                 std::shared_ptr<HandleTable> handles, DWORD access);
  ~SimAccessToken() override;
  SimAccessToken(const SimAccessToken&) = delete;
  SimAccessToken& operator=(const SimAccessToken&) = delete;

  // Needs tokenaccess::AdjustPrivileges (5). Attributes other than Enabled disable.
  DWORD AdjustPrivilege(const Luid& privilege, DWORD attributes, bool& allAssigned) override;

private:
  MachineLock lock_;
  std::shared_ptr<TokenPrivileges> privileges_;
  std::shared_ptr<FaultInjector> faults_;
  std::shared_ptr<HandleTable> handles_;
  DWORD access_;
  HandleTable::Id handle_;
};

}  // namespace platform::sim

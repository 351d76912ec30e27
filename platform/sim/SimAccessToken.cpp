#include "platform/sim/SimAccessToken.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

namespace platform::sim {
namespace {

// The privileges of winnt.h with their LUIDs (high part 0).
constexpr std::array<std::u16string_view, 35> kPrivilegeNames = {
    u"SeCreateTokenPrivilege",        u"SeAssignPrimaryTokenPrivilege",   u"SeLockMemoryPrivilege",
    u"SeIncreaseQuotaPrivilege",      u"SeMachineAccountPrivilege",       u"SeTcbPrivilege",
    u"SeSecurityPrivilege",           u"SeTakeOwnershipPrivilege",        u"SeLoadDriverPrivilege",
    u"SeSystemProfilePrivilege",      u"SeSystemtimePrivilege",           u"SeProfileSingleProcessPrivilege",
    u"SeIncreaseBasePriorityPrivilege", u"SeCreatePagefilePrivilege",     u"SeCreatePermanentPrivilege",
    u"SeBackupPrivilege",             u"SeRestorePrivilege",              u"SeShutdownPrivilege",
    u"SeDebugPrivilege",              u"SeAuditPrivilege",                u"SeSystemEnvironmentPrivilege",
    u"SeChangeNotifyPrivilege",       u"SeRemoteShutdownPrivilege",       u"SeUndockPrivilege",
    u"SeSyncAgentPrivilege",          u"SeEnableDelegationPrivilege",     u"SeManageVolumePrivilege",
    u"SeImpersonatePrivilege",        u"SeCreateGlobalPrivilege",         u"SeTrustedCredManAccessPrivilege",
    u"SeRelabelPrivilege",            u"SeIncreaseWorkingSetPrivilege",   u"SeTimeZonePrivilege",
    u"SeCreateSymbolicLinkPrivilege", u"SeDelegateSessionUserImpersonatePrivilege"};
constexpr DWORD kFirstLuid = 2;  // SE_CREATE_TOKEN_PRIVILEGE

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool SameName(std::u16string_view a, std::u16string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char16_t x, char16_t y) { return Lower(x) == Lower(y); });
}

}  // namespace

bool TokenPrivileges::Held(const Luid& luid) const {
  return user_.administrator && luid.highPart == 0 &&
         (luid.lowPart == privilege::Backup || luid.lowPart == privilege::Restore);
}

bool TokenPrivileges::Enabled(const Luid& luid) const {
  std::lock_guard lock(mutex_);
  return Held(luid) && enabled_.count(luid.lowPart) != 0;
}

bool TokenPrivileges::Set(const Luid& luid, bool enabled) {
  if (!Held(luid)) return false;
  std::lock_guard lock(mutex_);
  if (enabled) {
    enabled_.insert(luid.lowPart);
  } else {
    enabled_.erase(luid.lowPart);
  }
  return true;
}

std::optional<Luid> PrivilegeLuid(const std::u16string& name) {
  for (std::size_t i = 0; i < kPrivilegeNames.size(); ++i) {
    if (SameName(kPrivilegeNames[i], name)) return Luid{static_cast<DWORD>(kFirstLuid + i), 0};
  }
  return std::nullopt;
}

SimAccessToken::SimAccessToken(MachineLock lock, std::shared_ptr<TokenPrivileges> privileges,
                               std::shared_ptr<FaultInjector> faults, std::shared_ptr<HandleTable> handles, DWORD access)
    : lock_(std::move(lock)), privileges_(std::move(privileges)), faults_(std::move(faults)), handles_(std::move(handles)), access_(access),
      handle_(handles_->Register("token", "process token")) {}

SimAccessToken::~SimAccessToken() {
  const auto held = lock_.Hold();
  handles_->Release(handle_);
}

DWORD SimAccessToken::AdjustPrivilege(const Luid& privilege, DWORD attributes, bool& allAssigned) {
  const auto held = lock_.Hold();
  allAssigned = false;
  if (const DWORD error = faults_->Check("AdjustTokenPrivileges")) return error;
  if ((access_ & tokenaccess::AdjustPrivileges) == 0) return winerr::AccessDenied;
  allAssigned = privileges_->Set(privilege, (attributes & seprivilege::Enabled) != 0);
  return winerr::Success;
}

}  // namespace platform::sim

#pragma once
#include <memory>

#include "platform/ProcessInfo.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/HandleTable.h"
#include "platform/sim/MachineConfig.h"
#include "platform/sim/MachineLock.h"
#include "platform/sim/SimAccessToken.h"

namespace platform::sim {

class SimProcess : public ProcessInfo {
public:
  SimProcess(MachineLock lock, const MachineConfig& config, std::shared_ptr<FaultInjector> faults,
             std::shared_ptr<HandleTable> handles, std::shared_ptr<TokenPrivileges> privileges)
      : lock_(std::move(lock)), config_(config), faults_(std::move(faults)), handles_(std::move(handles)),
        privileges_(std::move(privileges)) {}
  // An injected fault gives "" (GetModuleFileNameA returning 0).
  std::string GetModuleFileNameA() override;
  LANGID GetUserDefaultUILanguage() override {
    const auto held = lock_.Hold();
    return config_.uiLanguage;
  }
  // Throws ProcessExit: the program's outermost frame ends the run with the code.
  [[noreturn]] void ExitProcess(UINT code) override;
  // The account of machine.json's "user".
  DWORD GetUserNameA(DWORD bufferSize, std::string& name) override;
  // Knows the one account of the machine, administrator or user by "user.administrator".
  DWORD NetUserGetInfo(const std::u16string& userName, UserInfo1& info) override;
  DWORD OpenProcessToken(DWORD access, std::unique_ptr<AccessToken>& out) override;
  DWORD LookupPrivilegeValueW(const std::u16string& name, Luid& luid) override;

private:
  MachineLock lock_;
  const MachineConfig& config_;
  std::shared_ptr<FaultInjector> faults_;
  std::shared_ptr<HandleTable> handles_;
  std::shared_ptr<TokenPrivileges> privileges_;
};

}  // namespace platform::sim

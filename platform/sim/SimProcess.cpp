#include "platform/sim/SimProcess.h"

#include <algorithm>

#include "platform/Windows1252.h"

namespace platform::sim {
namespace {

constexpr DWORD kUserPrivUser = 1;
constexpr DWORD kUserPrivAdmin = 2;

char16_t LowerAscii(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool SameAccount(const std::u16string& a, const std::u16string& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char16_t x, char16_t y) { return LowerAscii(x) == LowerAscii(y); });
}

}  // namespace

std::string SimProcess::GetModuleFileNameA() {
  const auto held = lock_.Hold();
  if (faults_->Check("GetModuleFileNameA") != winerr::Success) return {};
  return config_.programFile;
}

void SimProcess::ExitProcess(UINT code) {
  (void)faults_->Check("ExitProcess");  // logged only: ending a process cannot fail
  throw ProcessExit{code};
}

DWORD SimProcess::GetUserNameA(DWORD bufferSize, std::string& name) {
  const auto held = lock_.Hold();
  name.clear();
  if (const DWORD error = faults_->Check("GetUserNameA")) return error;
  if (config_.user.name.size() + 1 > bufferSize) return winerr::InsufficientBuffer;
  name = config_.user.name;
  return winerr::Success;
}

DWORD SimProcess::NetUserGetInfo(const std::u16string& userName, UserInfo1& info) {
  const auto held = lock_.Hold();
  info = {};
  if (const DWORD error = faults_->Check("NetUserGetInfo")) return error;
  if (config_.user.accountQueryError != 0) return config_.user.accountQueryError;
  const std::u16string account = AnsiToUtf16(config_.user.name);
  if (account.empty() || !SameAccount(userName, account)) return neterr::UserNotFound;
  info.name = account;
  info.privilege = config_.user.administrator ? kUserPrivAdmin : kUserPrivUser;
  return winerr::Success;
}

DWORD SimProcess::OpenProcessToken(DWORD access, std::unique_ptr<AccessToken>& out) {
  const auto held = lock_.Hold();
  out.reset();
  if (const DWORD error = faults_->Check("OpenProcessToken")) return error;
  out = std::make_unique<SimAccessToken>(lock_, privileges_, faults_, handles_, access);
  return winerr::Success;
}

DWORD SimProcess::LookupPrivilegeValueW(const std::u16string& name, Luid& luid) {
  const auto held = lock_.Hold();
  if (const DWORD error = faults_->Check("LookupPrivilegeValueW")) return error;
  const std::optional<Luid> found = PrivilegeLuid(name);
  if (!found) return winerr::NoSuchPrivilege;
  luid = *found;
  return winerr::Success;
}

}  // namespace platform::sim

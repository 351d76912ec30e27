#include "platform/sim/SimWindowMessages.h"

namespace platform::sim {

DWORD SimWindowMessages::BroadcastTextMessageA(DWORD message, const std::string& text, DWORD flags, DWORD timeoutMs) {
  if (const DWORD error = faults_->Check("SendMessageTimeoutA")) return error;
  std::lock_guard lock(mutex_);
  broadcasts_.push_back({message, text, flags, timeoutMs});
  return winerr::Success;
}

DWORD SimWindowMessages::BroadcastTextMessageW(DWORD message, const std::u16string& text, DWORD flags,
                                              DWORD timeoutMs) {
  if (const DWORD error = faults_->Check("SendMessageTimeoutW")) return error;
  std::lock_guard lock(mutex_);
  broadcasts_.push_back({message, {}, flags, timeoutMs, true, text});
  return winerr::Success;
}

std::vector<Broadcast> SimWindowMessages::Broadcasts() const {
  std::lock_guard lock(mutex_);
  return broadcasts_;
}

}  // namespace platform::sim

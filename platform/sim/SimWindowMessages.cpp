#include "platform/sim/SimWindowMessages.h"

namespace platform::sim {

DWORD SimWindowMessages::BroadcastTextMessageA(DWORD message, const std::string& text, DWORD flags, DWORD timeoutMs) {
  const auto held = lock_.Hold();
  if (const DWORD error = faults_->Check("SendMessageTimeoutA")) return error;
  broadcasts_.push_back({message, text, flags, timeoutMs});
  return winerr::Success;
}

DWORD SimWindowMessages::BroadcastTextMessageW(DWORD message, const std::u16string& text, DWORD flags,
                                              DWORD timeoutMs) {
  const auto held = lock_.Hold();
  if (const DWORD error = faults_->Check("SendMessageTimeoutW")) return error;
  broadcasts_.push_back({message, {}, flags, timeoutMs, true, text});
  return winerr::Success;
}

std::vector<Broadcast> SimWindowMessages::Broadcasts() const {
  const auto held = lock_.Hold();
  return broadcasts_;
}

}  // namespace platform::sim

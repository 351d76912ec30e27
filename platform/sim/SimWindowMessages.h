#pragma once
// Broadcasts on the simulated machine reach no window; each is recorded for tests to read.
#include <memory>
#include <string>
#include <vector>

#include "platform/PrintSpooler.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/MachineLock.h"

namespace platform::sim {

struct Broadcast {
  DWORD message = 0;
  std::string text;
  DWORD flags = 0;
  DWORD timeoutMs = 0;
  bool wide = false;         // sent with SendMessageTimeoutW
  std::u16string wideText{};  // its text; `text` stays empty

  bool operator==(const Broadcast&) const = default;
};

class SimWindowMessages : public WindowMessages {
public:
  SimWindowMessages(MachineLock lock, std::shared_ptr<FaultInjector> faults)
      : lock_(std::move(lock)), faults_(std::move(faults)) {}

  // Fault name "SendMessageTimeoutA"; a failed broadcast is not recorded.
  DWORD BroadcastTextMessageA(DWORD message, const std::string& text, DWORD flags, DWORD timeoutMs) override;
  // Fault name "SendMessageTimeoutW".
  DWORD BroadcastTextMessageW(DWORD message, const std::u16string& text, DWORD flags, DWORD timeoutMs) override;

  std::vector<Broadcast> Broadcasts() const;

private:
  MachineLock lock_;
  std::shared_ptr<FaultInjector> faults_;
  std::vector<Broadcast> broadcasts_;
};

}  // namespace platform::sim

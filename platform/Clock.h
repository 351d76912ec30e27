#pragma once
#include <functional>

#include "platform/Win32Types.h"

namespace platform {

// Every wait of the system goes through here, so the simulated machine can run them in virtual time.
class Clock {
public:
  virtual ~Clock() = default;
  virtual void Sleep(DWORD milliseconds) = 0;
  [[nodiscard]] virtual DWORD GetTickCount() = 0;
};

// The longest a wait of the user-interface thread goes without letting messages through.
constexpr DWORD kLongestSleepStepMs = 100;

// Sleeps `milliseconds` in steps of at most kLongestSleepStepMs, calling `afterEachStep` after
// each (messages of the waiting thread, so its windows keep answering).
void SleepInSteps(Clock& clock, DWORD milliseconds, const std::function<void()>& afterEachStep);

}  // namespace platform

#include "platform/Clock.h"

#include <algorithm>

namespace platform {

void SleepInSteps(Clock& clock, DWORD milliseconds, const std::function<void()>& afterEachStep) {
  do {
    const DWORD step = std::min(milliseconds, kLongestSleepStepMs);
    clock.Sleep(step);
    milliseconds -= step;
    if (afterEachStep) afterEachStep();
  } while (milliseconds > 0);
}

}  // namespace platform

#include "platform/sim/SimClock.h"

#include <thread>

namespace platform::sim {

void SimClock::Sleep(DWORD milliseconds) {
  elapsed_.fetch_add(milliseconds);
  // A thread polling in a sleep loop must still let the thread it waits for run.
  std::this_thread::yield();
}

DWORD SimClock::GetTickCount() {
  return static_cast<DWORD>(startTick_ + elapsed_.load());
}

}  // namespace platform::sim

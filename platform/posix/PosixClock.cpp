#include "platform/posix/PosixClock.h"

#include <chrono>
#include <thread>

namespace platform::posix {

void PosixClock::Sleep(DWORD milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

DWORD PosixClock::GetTickCount() {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

}  // namespace platform::posix

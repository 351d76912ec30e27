#pragma once
// Real time, for runs that talk to a real network: a board answers in real milliseconds, so the
// program's waits must pass in real time too.
#include "platform/Clock.h"

namespace platform::posix {

class PosixClock final : public Clock {
public:
  void Sleep(DWORD milliseconds) override;
  // Milliseconds of the monotonic clock, wrapping at 2^32 like Windows.
  DWORD GetTickCount() override;
};

}  // namespace platform::posix

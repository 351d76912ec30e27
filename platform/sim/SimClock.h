#pragma once
// Virtual time: Sleep advances the tick count instead of waiting, so a 10-second wait costs nothing.
#include <atomic>
#include <cstdint>

#include "platform/Clock.h"

namespace platform::sim {

class SimClock : public Clock {
public:
  explicit SimClock(DWORD startTick = 0) : startTick_(startTick) {}

  void Sleep(DWORD milliseconds) override;
  // Wraps at 2^32 like Windows (every 49.7 days).
  DWORD GetTickCount() override;

  // Milliseconds of virtual time since the machine started; never wraps.
  std::uint64_t Elapsed() const { return elapsed_.load(); }
  void Advance(std::uint64_t milliseconds) { elapsed_.fetch_add(milliseconds); }
  DWORD StartTick() const { return startTick_; }

private:
  const DWORD startTick_;
  std::atomic<std::uint64_t> elapsed_{0};
};

}  // namespace platform::sim

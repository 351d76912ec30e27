#pragma once
// Virtual time: Sleep advances the tick count instead of waiting, so a 10-second wait costs nothing.
// Each thread has its own virtual time, so one thread's waits neither shorten nor lengthen
// another's: a thread started through the machine's threads begins at its creator's time, and a
// thread that sees another one end moves on to that end if it is later. A thread the clock has
// not seen before (one a test started itself) begins at the time of the thread that made the clock.
#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "platform/Clock.h"

namespace platform::sim {

class SimClock : public Clock {
public:
  explicit SimClock(DWORD startTick = 0);

  void Sleep(DWORD milliseconds) override;
  // Wraps at 2^32 like Windows (every 49.7 days).
  DWORD GetTickCount() override;

  // Milliseconds of the calling thread's virtual time since the machine started; never wraps.
  std::uint64_t Elapsed() const;
  void Advance(std::uint64_t milliseconds);
  DWORD StartTick() const { return startTick_; }

  // The bookkeeping of SimThreads. BeginThread is the first thing a started thread does, with its
  // creator's Elapsed(); EndThread the last, giving its end time and forgetting the thread.
  void BeginThread(std::uint64_t creatorTime);
  std::uint64_t EndThread();
  // The calling thread has seen a thread end at endTime: nothing it does now can be earlier.
  void Observe(std::uint64_t endTime);

private:
  // The calling thread's time, entered at the main thread's time on first use (caller holds mutex_).
  std::uint64_t& Mine() const;

  const DWORD startTick_;
  const std::uint64_t mainThread_;
  mutable std::mutex mutex_;
  // By thread serial number (never reused, unlike std::thread::id).
  mutable std::unordered_map<std::uint64_t, std::uint64_t> elapsed_;
};

}  // namespace platform::sim

#pragma once
// How long the user-interface thread goes without letting window messages through, on the
// simulated machine's virtual clock: the headless kit reports each dispatch, and the watched
// services report what the thread's time went on in between.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/Platform.h"
#include "platform/sim/SimClock.h"
#include "ui/headless/DispatchObserver.h"

namespace stalls {

// The time between two dispatches, and what it went on.
struct Stretch {
  std::uint64_t ms = 0;
  std::string from, to;  // the dispatches around it
  struct Spent {
    std::string what;  // "Sleep", or the blocking call
    std::uint64_t ms = 0;
    int calls = 0;
  };
  std::vector<Spent> spent;  // in order; a call repeated in a row counts once
  // "Sleep 10 ms, ReadFile 125 ms" (what took no time left out).
  std::string Where() const;
};

// Watches the thread that makes it, from its first dispatch on.
class StallRecorder : public ui::headless::DispatchObserver {
public:
  explicit StallRecorder(platform::sim::SimClock& clock);
  ~StallRecorder();
  StallRecorder(const StallRecorder&) = delete;
  StallRecorder& operator=(const StallRecorder&) = delete;

  // The services with the clock, the threads and the serial ports watched. A wait on another thread
  // is left out of the stretch: in virtual time it jumps to that thread's end, while the thread
  // that waits turns its loop in real time, a bounded wait (5 ms in the installation run) at a time.
  platform::Platform Watch(const platform::Platform& services);

  void Dispatched(std::string_view what) override;
  const Stretch& Longest() const { return longest_; }

  // For the watched services: true on the watched thread only.
  bool Watching() const { return std::this_thread::get_id() == thread_; }
  std::uint64_t Now() const { return clock_.Elapsed(); }
  void Spend(std::string_view what, std::uint64_t ms);
  void LeaveOut(std::uint64_t ms) { leftOut_ += ms; }

private:
  platform::sim::SimClock& clock_;
  const std::thread::id thread_ = std::this_thread::get_id();
  bool started_ = false;
  std::uint64_t start_ = 0, leftOut_ = 0;
  Stretch current_, longest_;
  struct Watchers;
  std::unique_ptr<Watchers> watchers_;
};

}  // namespace stalls

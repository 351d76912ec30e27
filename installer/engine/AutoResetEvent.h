#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>

// An unnamed auto-reset event: Set wakes one waiter, or the next one to come, and resets.
class AutoResetEvent {
public:
  void Set();
  // Consumes the signal; false when none came within the timeout.
  bool WaitFor(std::chrono::milliseconds timeout);
  // Consumes a pending signal without waiting.
  bool TryWait();

private:
  std::mutex mutex_;
  std::condition_variable signalled_;
  bool set_ = false;
};

#include "engine/AutoResetEvent.h"

void AutoResetEvent::Set() {
  {
    std::lock_guard lock(mutex_);
    set_ = true;
  }
  signalled_.notify_one();
}

bool AutoResetEvent::WaitFor(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  if (!signalled_.wait_for(lock, timeout, [this] { return set_; })) return false;
  set_ = false;
  return true;
}

bool AutoResetEvent::TryWait() {
  std::lock_guard lock(mutex_);
  const bool was = set_;
  set_ = false;
  return was;
}

#include "platform/sim/SimClock.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace platform::sim {
namespace {

std::uint64_t ThisThread() {
  static std::atomic<std::uint64_t> next{1};
  thread_local const std::uint64_t serial = next.fetch_add(1);
  return serial;
}

}  // namespace

SimClock::SimClock(DWORD startTick) : startTick_(startTick), mainThread_(ThisThread()) { elapsed_[mainThread_] = 0; }

std::uint64_t& SimClock::Mine() const {
  const auto [it, added] = elapsed_.try_emplace(ThisThread(), 0);
  if (added) it->second = elapsed_.at(mainThread_);
  return it->second;
}

void SimClock::Sleep(DWORD milliseconds) {
  Advance(milliseconds);
  // A thread polling in a sleep loop must still let the thread it waits for run.
  std::this_thread::yield();
}

DWORD SimClock::GetTickCount() { return static_cast<DWORD>(startTick_ + Elapsed()); }

std::uint64_t SimClock::Elapsed() const {
  std::lock_guard lock(mutex_);
  return Mine();
}

void SimClock::Advance(std::uint64_t milliseconds) {
  std::lock_guard lock(mutex_);
  Mine() += milliseconds;
}

void SimClock::BeginThread(std::uint64_t creatorTime) {
  std::lock_guard lock(mutex_);
  elapsed_[ThisThread()] = creatorTime;
}

std::uint64_t SimClock::EndThread() {
  std::lock_guard lock(mutex_);
  const std::uint64_t end = Mine();
  elapsed_.erase(ThisThread());
  return end;
}

void SimClock::Observe(std::uint64_t endTime) {
  std::lock_guard lock(mutex_);
  std::uint64_t& mine = Mine();
  mine = std::max(mine, endTime);
}

}  // namespace platform::sim

#include "platform/sim/SimThreads.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace platform::sim {
namespace {

// What the thread leaves for its handle.
struct Ending {
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  DWORD exitCode = kStillActive;
  std::uint64_t endTime = 0;
};

class SimThreadHandle : public ThreadHandle {
public:
  SimThreadHandle(std::shared_ptr<SimClock> clock, std::function<DWORD()> function)
      : clock_(std::move(clock)), ending_(std::make_shared<Ending>()) {
    thread_ = std::thread([clock = clock_, ending = ending_, function = std::move(function),
                           start = clock_->Elapsed()] {
      clock->BeginThread(start);
      const DWORD exitCode = function();
      const std::uint64_t end = clock->EndThread();
      std::lock_guard lock(ending->mutex);
      ending->done = true;
      ending->exitCode = exitCode;
      ending->endTime = end;
      ending->ended.notify_all();
    });
  }
  ~SimThreadHandle() override {
    thread_.join();
    std::lock_guard lock(ending_->mutex);
    clock_->Observe(ending_->endTime);
  }

  DWORD WaitForSingleObject(DWORD milliseconds) override {
    std::unique_lock lock(ending_->mutex);
    const auto done = [this] { return ending_->done; };
    if (milliseconds == kInfinite) {
      ending_->ended.wait(lock, done);
    } else if (!ending_->ended.wait_for(lock, std::chrono::milliseconds(milliseconds), done)) {
      return waitresult::Timeout;
    }
    clock_->Observe(ending_->endTime);
    return waitresult::Object0;
  }

  DWORD GetExitCodeThread() override {
    std::lock_guard lock(ending_->mutex);
    if (ending_->done) clock_->Observe(ending_->endTime);
    return ending_->exitCode;
  }

private:
  std::shared_ptr<SimClock> clock_;
  std::shared_ptr<Ending> ending_;
  std::thread thread_;
};

}  // namespace

DWORD SimThreads::CreateThread(std::function<DWORD()> function, std::unique_ptr<ThreadHandle>& out) {
  out.reset();
  if (const DWORD error = faults_->Check("CreateThread")) return error;
  try {
    out = std::make_unique<SimThreadHandle>(clock_, std::move(function));
  } catch (const std::system_error&) {
    return winerr::NotEnoughMemory;  // what CreateThread answers when the system has no room for a thread
  }
  return winerr::Success;
}

}  // namespace platform::sim

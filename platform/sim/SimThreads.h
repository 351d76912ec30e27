#pragma once
// platform::Threads on real threads, with the virtual clock's per-thread rules: a new thread
// starts at its creator's time; whoever sees a thread end (a wait that succeeds, its exit code)
// is at least at its end time. A wait with a time-out waits in real time and costs no virtual
// time, so a thread polling another neither shortens nor lengthens its waits. Fault name
// "CreateThread".
#include <memory>

#include "platform/Threads.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/SimClock.h"

namespace platform::sim {

class SimThreads : public Threads {
public:
  SimThreads(std::shared_ptr<SimClock> clock, std::shared_ptr<FaultInjector> faults)
      : clock_(std::move(clock)), faults_(std::move(faults)) {}

  DWORD CreateThread(std::function<DWORD()> function, std::unique_ptr<ThreadHandle>& out) override;
  // Priorities change nothing on the virtual clock; fault name "SetThreadPriority".
  DWORD SetCurrentThreadPriority(int) override { return faults_->Check("SetThreadPriority"); }

private:
  std::shared_ptr<SimClock> clock_;
  std::shared_ptr<FaultInjector> faults_;
};

}  // namespace platform::sim

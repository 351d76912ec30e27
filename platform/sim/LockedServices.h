#pragma once
// The machine's services behind one lock, so that two threads (the user interface polling the
// installation's worker) can call the machine at once. Every call, and every call on a handle the
// services give out (keys, printers, services, libraries, device sets), holds the machine's lock;
// the clock and the threads are handed on as they are, so a sleep or a wait never holds it, and
// a serial port's reads and writes, which wait for the line, run outside it.
#include <memory>
#include <mutex>

#include "platform/Platform.h"

namespace platform::sim {

// Shared with every handle given out, so a handle outliving the machine can still be closed.
using MachineMutex = std::shared_ptr<std::recursive_mutex>;

class LockedServices {
public:
  LockedServices(MachineMutex mutex, Platform services);
  ~LockedServices();
  LockedServices(const LockedServices&) = delete;
  LockedServices& operator=(const LockedServices&) = delete;

  Platform platform();

private:
  struct Wrappers;
  std::unique_ptr<Wrappers> wrappers_;
};

}  // namespace platform::sim

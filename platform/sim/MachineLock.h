#pragma once
// The simulated machine's one lock, so that two threads (the user interface polling the installation's
// worker) can call the machine at once. Every call of a service, and of a handle it gives out (keys,
// printers, services, libraries, device sets, ...), holds it from start to end. The clock and the
// threads never take it, so a sleep or a wait never holds it; nor do the calls that wait for the line
// or the network: a serial port's reads and writes, the sockets' receives and select.
// Copies share one mutex: a handle keeps a copy, so one outliving the machine can still be closed.
#include <memory>
#include <mutex>

namespace platform::sim {

class MachineLock {
public:
  [[nodiscard]] std::unique_lock<std::recursive_mutex> Hold() const { return std::unique_lock(*mutex_); }

private:
  std::shared_ptr<std::recursive_mutex> mutex_ = std::make_shared<std::recursive_mutex>();
};

}  // namespace platform::sim

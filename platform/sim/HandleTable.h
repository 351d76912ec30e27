#pragma once
// Every handle the simulated machine gives out (registry keys, and later printers, services,
// libraries) is registered here until it is closed, so a test can assert that nothing leaked.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace platform::sim {

class HandleTable {
public:
  using Id = std::uint64_t;

  Id Register(std::string kind, std::string description);
  // False when the handle is not open (a second close).
  bool Release(Id id);

  std::size_t OpenCount() const;
  std::size_t OpenCount(const std::string& kind) const;
  // One line per open handle, oldest first: "<kind> <description>".
  std::vector<std::string> Describe() const;

private:
  struct Entry {
    std::string kind;
    std::string description;
  };
  mutable std::mutex mutex_;
  Id next_ = 1;
  std::map<Id, Entry> open_;
};

}  // namespace platform::sim

#include "platform/sim/HandleTable.h"

namespace platform::sim {

HandleTable::Id HandleTable::Register(std::string kind, std::string description) {
  std::lock_guard lock(mutex_);
  const Id id = next_++;
  open_.emplace(id, Entry{std::move(kind), std::move(description)});
  return id;
}

bool HandleTable::Release(Id id) {
  std::lock_guard lock(mutex_);
  return open_.erase(id) == 1;
}

std::size_t HandleTable::OpenCount() const {
  std::lock_guard lock(mutex_);
  return open_.size();
}

std::size_t HandleTable::OpenCount(const std::string& kind) const {
  std::lock_guard lock(mutex_);
  std::size_t n = 0;
  for (const auto& [id, entry] : open_) n += entry.kind == kind ? 1 : 0;
  return n;
}

std::vector<std::string> HandleTable::Describe() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> lines;
  for (const auto& [id, entry] : open_) lines.push_back(entry.kind + " " + entry.description);
  return lines;
}

}  // namespace platform::sim

#include "platform/sim/FaultInjector.h"

namespace platform::sim {

void FaultInjector::FailOnce(const std::string& op, DWORD error) {
  std::lock_guard lock(mutex_);
  rules_.push_back({op, counts_[op] + 1, true, error});
}

void FaultInjector::FailFrom(const std::string& op, std::size_t nthCall, DWORD error) {
  std::lock_guard lock(mutex_);
  rules_.push_back({op, counts_[op] + (nthCall == 0 ? 1 : nthCall), false, error});
}

void FaultInjector::FailNth(const std::string& op, std::size_t nthCall, DWORD error) {
  std::lock_guard lock(mutex_);
  rules_.push_back({op, counts_[op] + (nthCall == 0 ? 1 : nthCall), true, error});
}

void FaultInjector::FailOnceAfter(const std::string& op, const std::string& trigger, DWORD error) {
  std::lock_guard lock(mutex_);
  rules_.push_back({op, 0, true, error, trigger});
}

void FaultInjector::Clear() {
  std::lock_guard lock(mutex_);
  rules_.clear();
}

void FaultInjector::ResetLog() {
  std::lock_guard lock(mutex_);
  // Pending rules count from the old counters: rebase them so they still name the same future call.
  for (Rule& rule : rules_) {
    const std::size_t done = counts_[rule.op];
    rule.firstFailingCall = rule.firstFailingCall > done ? rule.firstFailingCall - done : 1;
  }
  counts_.clear();
  log_.clear();
  logging_ = true;
}

DWORD FaultInjector::Check(std::string_view op) {
  std::lock_guard lock(mutex_);
  auto it = counts_.find(op);
  if (it == counts_.end()) it = counts_.emplace(std::string(op), 0).first;
  const std::size_t call = ++it->second;
  if (logging_) log_.emplace_back(op);
  for (Rule& rule : rules_) {
    if (rule.trigger.empty() || rule.trigger != op) continue;
    rule.trigger.clear();
    rule.firstFailingCall = counts_[rule.op] + 1;
  }
  for (auto rule = rules_.begin(); rule != rules_.end(); ++rule) {
    if (rule->op != op || !rule->trigger.empty()) continue;
    if (rule->once ? call == rule->firstFailingCall : call >= rule->firstFailingCall) {
      const DWORD error = rule->error;
      if (rule->once) rules_.erase(rule);
      return error;
    }
  }
  return winerr::Success;
}

std::size_t FaultInjector::CallCount(std::string_view op) const {
  std::lock_guard lock(mutex_);
  const auto it = counts_.find(op);
  return it == counts_.end() ? 0 : it->second;
}

std::vector<std::string> FaultInjector::CallLog() const {
  std::lock_guard lock(mutex_);
  return log_;
}

}  // namespace platform::sim

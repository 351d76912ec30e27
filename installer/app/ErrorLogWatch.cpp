#include "app/ErrorLogWatch.h"

#include "engine/ErrorLog.h"

std::vector<ErrorLogWatch::Line> ErrorLogWatch::Lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

platform::DWORD ErrorLogWatch::AppendToFileA(const std::string& name, std::string_view bytes) {
  const platform::DWORD error = files_.AppendToFileA(name, bytes);
  // An empty append only opens the log (a message that could not be expanded).
  if (name != kErrorLogFile || bytes.empty()) return error;
  std::string text(bytes);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  std::lock_guard lock(mutex_);
  lines_.push_back({std::move(text), error});
  return error;
}

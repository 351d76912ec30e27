#include "engine/ErrorLog.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace {

std::optional<std::string> Format(char conversion, const LogValue& value) {
  switch (conversion) {
    case 'd':
      if (const auto* number = std::get_if<long long>(&value)) return std::to_string(*number);
      return std::nullopt;
    case 'f':
      if (const auto* number = std::get_if<double>(&value)) {
        // Whole, however long: 1e308 has 309 digits before the point.
        std::string text(static_cast<std::size_t>(std::snprintf(nullptr, 0, "%f", *number)), '\0');
        std::snprintf(text.data(), text.size() + 1, "%f", *number);
        return text;
      }
      return std::nullopt;
    case 's':
      if (const auto* text = std::get_if<std::string>(&value)) return *text;
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

std::mutex& LogMutex() {
  static std::mutex mutex;
  return mutex;
}

}  // namespace

std::optional<std::string> ExpandLogMessage(std::string_view message, std::span<const LogValue> values) {
  std::string out;
  std::size_t next = 0;
  for (std::size_t i = 0; i < message.size(); ++i) {
    if (message[i] != '%') {
      out += message[i];
      continue;
    }
    if (i + 1 == message.size() || next == values.size()) return std::nullopt;
    const auto text = Format(message[i + 1], values[next++]);
    if (!text) return std::nullopt;
    out += *text;
    ++i;
  }
  return out;
}

void AppendErrorLog(platform::FileSystem& files, std::string_view message, std::span<const LogValue> values) {
  const auto line = ExpandLogMessage(message, values);
  std::lock_guard lock(LogMutex());
  // The log is opened, and so created, before the message is looked at. A log that cannot be
  // written loses this message and nothing else.
  (void)files.AppendToFileA(kErrorLogFile, line ? *line + "\r\n" : std::string());
}

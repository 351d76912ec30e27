#pragma once
#include <array>
#include <concepts>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "platform/FileSystem.h"

// The plain-text error log ".\errors.log" in the current directory, written through the platform's
// file system: one line per call.

inline constexpr const char* kErrorLogFile = ".\\errors.log";

using LogValue = std::variant<long long, double, std::string>;

// The message with its "%d", "%f" and "%s" replaced, left to right, by the values in order.
// None when the message asks for another conversion, for more values than given, or for a
// value of another kind: such a message is not written at all. Inserted text is never expanded.
std::optional<std::string> ExpandLogMessage(std::string_view message, std::span<const LogValue> values);

// Appends the expanded message and CR LF; serialised across the process's threads.
void AppendErrorLog(platform::FileSystem& files, std::string_view message, std::span<const LogValue> values);

template <std::integral T>
LogValue ToLogValue(T value) {
  return static_cast<long long>(value);
}
template <std::floating_point T>
LogValue ToLogValue(T value) {
  return static_cast<double>(value);
}
inline LogValue ToLogValue(std::string_view text) { return std::string(text); }
inline LogValue ToLogValue(const std::string& text) { return text; }
inline LogValue ToLogValue(const char* text) { return std::string(text ? text : "(null)"); }

template <typename... Values>
void LogError(platform::FileSystem& files, std::string_view message, const Values&... values) {
  const std::array<LogValue, sizeof...(Values)> list{ToLogValue(values)...};
  AppendErrorLog(files, message, list);
}

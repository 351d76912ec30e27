#pragma once
// The plug-in's system calls as the simulated machine's fault injector names them: each call of a
// clean run's log as one fault to inject, with the error the call would plausibly give on Windows.
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/Win32Types.h"

namespace plugintest {

// The nth (1-based) call of op, failing with error.
struct Fault {
  std::string op;
  std::size_t nth = 0;
  platform::DWORD error = 0;
};

inline platform::DWORD PlausibleError(const std::string& op) {
  namespace winerr = platform::winerr;
  static const std::map<std::string, platform::DWORD, std::less<>> errors{
      {"GetPrinterDataW", winerr::RpcServerUnavailable},  // the spooler went away
      {"SetPrinterDataW", winerr::RpcServerUnavailable},
      {"RegSaveKeyExW", 112},                             // disk full
      {"MoveFileExW", winerr::SharingViolation},          // the old file is open elsewhere
      {"LookupPrivilegeValueW", 1313},                    // no such privilege
      {"SendMessageTimeoutW", 1460},                      // a window did not answer in time
      {"ControlService", 1061},                           // cannot accept the control now
      {"StartServiceA", 1056},                            // already running
  };
  if (const auto it = errors.find(op); it != errors.end()) return it->second;
  return winerr::AccessDenied;
}

inline std::vector<Fault> CallSites(const std::vector<std::string>& log) {
  std::map<std::string, std::size_t> seen;
  std::vector<Fault> sites;
  for (const std::string& op : log) sites.push_back({op, ++seen[op], PlausibleError(op)});
  return sites;
}

}  // namespace plugintest

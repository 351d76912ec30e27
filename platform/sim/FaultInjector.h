#pragma once
// Makes chosen operations of the simulated machine fail with a chosen Win32 error, and counts every
// operation the system calls (by its Windows function name) so a test can fail each in turn. The
// calls' order is logged only once a test asks for it (ResetLog): a long run, such as a fuzzer's,
// would otherwise grow the log without end.
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Win32Types.h"

namespace platform::sim {

class FaultInjector {
public:
  // The next call of `op` fails with `error`.
  void FailOnce(const std::string& op, DWORD error);
  // Counting calls of `op` from now on, the nth (1-based) fails, and so does every later one.
  void FailFrom(const std::string& op, std::size_t nthCall, DWORD error);
  // Counting calls of `op` from now on, only the nth (1-based) fails.
  void FailNth(const std::string& op, std::size_t nthCall, DWORD error);
  // The first call of `op` after the next call of another operation, `trigger`, fails: a fault at
  // one step of a long run that makes the same call before.
  void FailOnceAfter(const std::string& op, const std::string& trigger, DWORD error);
  // Removes every pending fault; counters and log stay.
  void Clear();
  // Forgets counters and log, and logs every call from now on.
  void ResetLog();

  // Every simulated operation calls this first: counts and logs the call, and returns
  // the error to fail with, or winerr::Success.
  DWORD Check(std::string_view op);

  std::size_t CallCount(std::string_view op) const;
  std::vector<std::string> CallLog() const;

private:
  struct Rule {
    std::string op;
    std::size_t firstFailingCall;  // value of the op's counter
    bool once;
    DWORD error;
    std::string trigger = {};  // while set, the rule waits for a call of it
  };
  mutable std::mutex mutex_;
  std::vector<Rule> rules_;
  std::map<std::string, std::size_t, std::less<>> counts_;
  std::vector<std::string> log_;
  bool logging_ = false;
};

}  // namespace platform::sim

#pragma once
#include <functional>
#include <memory>

#include "platform/Win32Types.h"

namespace platform {

namespace waitresult {
constexpr DWORD Object0 = 0;    // WAIT_OBJECT_0
constexpr DWORD Timeout = 258;  // WAIT_TIMEOUT
}  // namespace waitresult

constexpr DWORD kInfinite = 0xFFFFFFFF;  // INFINITE
constexpr DWORD kStillActive = 259;      // STILL_ACTIVE
constexpr int kThreadPriorityAboveNormal = 1;  // THREAD_PRIORITY_ABOVE_NORMAL

// A thread the system started (the HANDLE of CreateThread). Destruction waits for the thread to
// end, then closes the handle: no thread outlives what it works on.
class ThreadHandle {
public:
  virtual ~ThreadHandle() = default;
  // WaitForSingleObject: waitresult::Object0 once the thread has ended, waitresult::Timeout when
  // it has not within the time (kInfinite: no limit).
  [[nodiscard]] virtual DWORD WaitForSingleObject(DWORD milliseconds) = 0;
  // GetExitCodeThread: what the thread's function returned, kStillActive while it runs.
  [[nodiscard]] virtual DWORD GetExitCodeThread() = 0;
};

class Threads {
public:
  virtual ~Threads() = default;
  // CreateThread with the default stack, running at once; the function's result is the thread's
  // exit code. A Win32 error when the thread cannot be created (out stays empty).
  [[nodiscard]] virtual DWORD CreateThread(std::function<DWORD()> function, std::unique_ptr<ThreadHandle>& out) = 0;
  // SetThreadPriority of the calling thread.
  [[nodiscard]] virtual DWORD SetCurrentThreadPriority(int priority) = 0;
};

}  // namespace platform

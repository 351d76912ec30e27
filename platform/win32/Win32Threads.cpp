#include "platform/win32/Win32Threads.h"

#include <windows.h>

namespace platform::win32 {

static_assert(waitresult::Object0 == WAIT_OBJECT_0 && waitresult::Timeout == WAIT_TIMEOUT && kInfinite == INFINITE &&
              kStillActive == STILL_ACTIVE);

namespace {

using Function = std::function<DWORD()>;

::DWORD WINAPI RunFunction(LPVOID parameter) {
  const std::unique_ptr<Function> function(static_cast<Function*>(parameter));
  return (*function)();
}

class Win32ThreadHandle final : public ThreadHandle {
public:
  explicit Win32ThreadHandle(HANDLE thread) : thread_(thread) {}
  ~Win32ThreadHandle() override {
    ::WaitForSingleObject(thread_, INFINITE);
    ::CloseHandle(thread_);
  }

  DWORD WaitForSingleObject(DWORD milliseconds) override { return ::WaitForSingleObject(thread_, milliseconds); }

  DWORD GetExitCodeThread() override {
    ::DWORD code = STILL_ACTIVE;
    // Fails only for an invalid handle, and this one stays valid until destruction.
    ::GetExitCodeThread(thread_, &code);
    return code;
  }

private:
  HANDLE thread_;
};

}  // namespace

DWORD Win32Threads::CreateThread(std::function<DWORD()> function, std::unique_ptr<ThreadHandle>& out) {
  out.reset();
  auto owned = std::make_unique<Function>(std::move(function));
  HANDLE thread = ::CreateThread(nullptr, 0, RunFunction, owned.get(), 0, nullptr);
  if (thread == nullptr) return ::GetLastError();
  owned.release();  // the thread frees it
  out = std::make_unique<Win32ThreadHandle>(thread);
  return ERROR_SUCCESS;
}

DWORD Win32Threads::SetCurrentThreadPriority(int priority) {
  return ::SetThreadPriority(::GetCurrentThread(), priority) ? winerr::Success : ::GetLastError();
}

}  // namespace platform::win32

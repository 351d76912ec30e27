#pragma once
#include "platform/Threads.h"

namespace platform::win32 {

class Win32Threads final : public Threads {
public:
  DWORD CreateThread(std::function<DWORD()> function, std::unique_ptr<ThreadHandle>& out) override;
  DWORD SetCurrentThreadPriority(int priority) override;
};

}  // namespace platform::win32

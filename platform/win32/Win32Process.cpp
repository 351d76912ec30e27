#include "platform/win32/Win32Process.h"

#include <windows.h>

#include <vector>

namespace platform::win32 {

std::string Win32Process::GetModuleFileNameA() {
  // A path may be longer than MAX_PATH; a full buffer means it was cut.
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

LANGID Win32Process::GetUserDefaultUILanguage() { return ::GetUserDefaultUILanguage(); }

}  // namespace platform::win32

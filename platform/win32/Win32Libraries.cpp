#include "platform/win32/Win32Libraries.h"

#include <windows.h>

namespace platform::win32 {

static_assert(winerr::ModNotFound == ERROR_MOD_NOT_FOUND && winerr::ProcNotFound == ERROR_PROC_NOT_FOUND);

Win32Library::~Win32Library() { ::FreeLibrary(module_); }

DWORD Win32Library::FindFunction(const std::string& name) {
  return ::GetProcAddress(module_, name.c_str()) ? ERROR_SUCCESS : ::GetLastError();
}

DWORD Win32Libraries::LoadLibraryA(const std::string& name, std::unique_ptr<Library>& out) {
  HMODULE module = ::LoadLibraryA(name.c_str());
  if (module == nullptr) return ::GetLastError();
  out = std::make_unique<Win32Library>(module);
  return ERROR_SUCCESS;
}

}  // namespace platform::win32

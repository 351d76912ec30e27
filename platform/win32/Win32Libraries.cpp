#include "platform/win32/Win32Libraries.h"

#include <windows.h>

namespace platform::win32 {

static_assert(winerr::ModNotFound == ERROR_MOD_NOT_FOUND && winerr::ProcNotFound == ERROR_PROC_NOT_FOUND);

DWORD Win32Library::Load(const std::string& name, std::unique_ptr<Win32Library>& out) {
  HMODULE module = ::LoadLibraryA(name.c_str());
  if (module == nullptr) return ::GetLastError();
  out = std::make_unique<Win32Library>(module);
  return ERROR_SUCCESS;
}

Win32Library::~Win32Library() { ::FreeLibrary(module_); }

DWORD Win32Library::FindFunction(const std::string& name) {
  AnyFunction* address = nullptr;
  return FindAddress(name.c_str(), address);
}

DWORD Win32Library::FindAddress(const char* name, AnyFunction*& out) const {
  FARPROC address = ::GetProcAddress(module_, name);
  out = reinterpret_cast<AnyFunction*>(address);
  return address ? ERROR_SUCCESS : ::GetLastError();
}

DWORD Win32Libraries::LoadLibraryA(const std::string& name, std::unique_ptr<Library>& out) {
  std::unique_ptr<Win32Library> library;
  const DWORD error = Win32Library::Load(name, library);
  if (error == ERROR_SUCCESS) out = std::move(library);
  return error;
}

}  // namespace platform::win32

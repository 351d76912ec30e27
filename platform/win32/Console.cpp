#include "platform/win32/Console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <iostream>

namespace platform::win32 {

namespace {

bool IsRedirected(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  DWORD type = ::GetFileType(handle);
  return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

bool WritesTo(FILE* stream, HANDLE handle) {
  int fd = _fileno(stream);
  return fd >= 0 && reinterpret_cast<HANDLE>(_get_osfhandle(fd)) == handle;
}

// A GUI program's runtime may have left the stream without a usable descriptor: give it one
// (NUL), then point that descriptor at a private copy of the handle, so closing the stream
// never closes the process's standard handle.
bool Bind(FILE* stream, HANDLE handle) {
  if (WritesTo(stream, handle)) return true;
  HANDLE self = ::GetCurrentProcess();
  HANDLE copy = nullptr;
  if (!::DuplicateHandle(self, handle, self, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) return false;
  std::fflush(stream);
  int temp = -1;
  if (std::freopen("NUL", "w", stream) != nullptr) temp = _open_osfhandle(reinterpret_cast<std::intptr_t>(copy), _O_TEXT);
  if (temp < 0) {
    ::CloseHandle(copy);
    return false;
  }
  int rc = _dup2(temp, _fileno(stream));
  _close(temp);
  return rc == 0;
}

bool ReopenOnConsole(FILE* stream) { return std::freopen("CONOUT$", "w", stream) != nullptr; }

}  // namespace

bool AttachOutputConsole() {
  HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
  HANDLE err = ::GetStdHandle(STD_ERROR_HANDLE);
  bool ok = false;
  if (IsRedirected(out)) {
    ok = Bind(stdout, out);
    Bind(stderr, IsRedirected(err) ? err : out);
  } else if (::AttachConsole(ATTACH_PARENT_PROCESS) || ::GetLastError() == ERROR_ACCESS_DENIED) {
    // ERROR_ACCESS_DENIED: the process has a console already.
    ok = ReopenOnConsole(stdout);
    if (IsRedirected(err)) Bind(stderr, err);
    else ReopenOnConsole(stderr);
  }
  // Errors must not wait in a buffer behind the listing.
  std::setvbuf(stderr, nullptr, _IONBF, 0);
  std::cout.clear();
  std::cerr.clear();
  return ok;
}

}  // namespace platform::win32

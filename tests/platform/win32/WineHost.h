#pragma once
// Whether these tests run under Wine, and how the test prefix configures it.
#include <windows.h>

#include <string>

namespace wine_host {

inline bool UnderWine() {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Wine's "Version" setting for this program, or the global one, or "" (Wine's default).
inline std::string ConfiguredVersion() {
  const char* keys[] = {"Software\\Wine\\AppDefaults\\kvx_tests_win.exe", "Software\\Wine"};
  for (const char* key : keys) {
    char value[64];
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, key, "Version", RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS)
      return value;
  }
  return "";
}

}  // namespace wine_host

#pragma once
// Where the libraries built for the backend tests are: next to the test program.
#include <windows.h>

#include <fstream>
#include <string>

namespace test_libraries {

inline std::string Directory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full = path;
  return full.substr(0, full.rfind('\\'));
}

// FILEVERSION 3,14,15,926.
inline std::string Versioned() { return Directory() + "\\kvx_test_versioned.dll"; }
// A port monitor with no version information.
inline std::string PortMonitor() { return Directory() + "\\kvx_test_monitor.dll"; }

inline std::string TempDirectory() {
  char path[MAX_PATH] = {};
  DWORD length = GetTempPathA(MAX_PATH, path);
  std::string directory(path, length);
  if (!directory.empty() && directory.back() == '\\') directory.pop_back();
  return directory;
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace test_libraries

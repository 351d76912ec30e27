#include "platform/win32/Win32Profile.h"

#include <windows.h>

namespace platform::win32 {

// The buffer's size goes through unchanged: truncation is the operating system's, by design.
DWORD Win32Profile::GetPrivateProfileSectionA(const std::string& section, std::vector<char>& buffer,
                                              const std::string& fileName) {
  return ::GetPrivateProfileSectionA(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()),
                                     fileName.c_str());
}

DWORD Win32Profile::GetPrivateProfileStringA(const std::string& section, const std::string& key,
                                             const std::string& defaultValue, std::vector<char>& buffer,
                                             const std::string& fileName) {
  return ::GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buffer.data(),
                                    static_cast<DWORD>(buffer.size()), fileName.c_str());
}

DWORD Win32Profile::GetProfileSectionA(const std::string& section, std::vector<char>& buffer) {
  return ::GetProfileSectionA(section.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
}

DWORD Win32Profile::WriteProfileStringA(const std::string& section, const std::string& key, const std::string& value) {
  return ::WriteProfileStringA(section.c_str(), key.c_str(), value.c_str()) ? ERROR_SUCCESS : ::GetLastError();
}

}  // namespace platform::win32

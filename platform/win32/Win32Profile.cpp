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

}  // namespace platform::win32

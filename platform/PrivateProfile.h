#pragma once
#include <string>
#include <vector>

#include "platform/Win32Types.h"

namespace platform {

// The private-profile (INI file) functions. The caller's buffer size is buffer.size(),
// exactly as nSize is on Windows; results, truncation and terminators are Windows'.
// A name with a path (".\\KvxIns.ini") is taken from the process's current directory;
// Windows looks for a bare name in the Windows directory, so callers always give a path.
class PrivateProfile {
public:
  virtual ~PrivateProfile() = default;
  // Returns the count of characters copied, not counting the final NUL (nSize - 2 when cut).
  [[nodiscard]] virtual DWORD GetPrivateProfileSectionA(const std::string& section, std::vector<char>& buffer,
                                                        const std::string& fileName) = 0;
  // Returns the count of characters copied, not counting the NUL (nSize - 1 when cut).
  [[nodiscard]] virtual DWORD GetPrivateProfileStringA(const std::string& section, const std::string& key,
                                                       const std::string& defaultValue, std::vector<char>& buffer,
                                                       const std::string& fileName) = 0;
  // The system profile (win.ini of the Windows directory; Windows keeps some of its sections, such
  // as "Ports", in the registry): GetPrivateProfileSectionA's answers without a file name.
  [[nodiscard]] virtual DWORD GetProfileSectionA(const std::string& section, std::vector<char>& buffer) = 0;
  // Sets one entry of the system profile: 0, or the Win32 error.
  [[nodiscard]] virtual DWORD WriteProfileStringA(const std::string& section, const std::string& key,
                                                  const std::string& value) = 0;
};

}  // namespace platform

#pragma once
#include "platform/PrivateProfile.h"

namespace platform::win32 {

class Win32Profile final : public PrivateProfile {
public:
  DWORD GetPrivateProfileSectionA(const std::string& section, std::vector<char>& buffer,
                                  const std::string& fileName) override;
  DWORD GetPrivateProfileStringA(const std::string& section, const std::string& key, const std::string& defaultValue,
                                 std::vector<char>& buffer, const std::string& fileName) override;
  DWORD GetProfileSectionA(const std::string& section, std::vector<char>& buffer) override;
  DWORD WriteProfileStringA(const std::string& section, const std::string& key, const std::string& value) override;
};

}  // namespace platform::win32

// The profile cases shared with the simulated machine, answered by the real functions.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/cases/ProfileCases.h"
#include "platform/win32/Win32Profile.h"

namespace {

// A folder of its own under the user's temp folder, removed with its files.
class ScratchDir {
public:
  ScratchDir() {
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp, length) + "kvx-profile-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~ScratchDir() {
    for (const auto& file : files_) DeleteFileA(file.c_str());
    RemoveDirectoryA(path_.c_str());
  }
  std::string File(const std::string& name) {
    files_.push_back(path_ + "\\" + name);
    return files_.back();
  }

private:
  std::string path_;
  std::vector<std::string> files_;
};

ScratchDir& Scratch() {
  static ScratchDir dir;
  return dir;
}

class Win32ProfileCases : public testing::TestWithParam<cases::ProfileCase> {};

TEST_P(Win32ProfileCases, MatchesExpectedBytes) {
  const cases::ProfileCase& c = GetParam();
  // A file per case: Wine caches a profile by name.
  std::string file = Scratch().File(c.name + ".ini");
  if (c.content) {
    std::ofstream(file, std::ios::binary) << *c.content;
  } else {
    DeleteFileA(file.c_str());
  }

  platform::win32::Win32Profile profile;
  std::vector<char> buffer(c.bufferSize, '\x7F');
  DWORD result = c.sectionCall ? profile.GetPrivateProfileSectionA(c.section, buffer, file)
                               : profile.GetPrivateProfileStringA(c.section, c.key, c.defaultValue, buffer, file);

  EXPECT_EQ(result, c.expectedReturn);
  ASSERT_LE(c.expected.size(), buffer.size());
  EXPECT_EQ(std::string(buffer.data(), c.expected.size()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Shared, Win32ProfileCases, testing::ValuesIn(cases::ProfileCases()),
                         [](const testing::TestParamInfo<cases::ProfileCase>& info) { return info.param.name; });

}  // namespace

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

// The catalog is named ".\\KvxIns.ini": a name with a folder part is taken from the current
// directory, while a bare name would be looked for in the Windows directory.
TEST(Win32Profile, DotRelativeNameIsFoundInTheCurrentDirectoryButABareNameIsNot) {
  std::string file = Scratch().File("Relative.ini");
  std::ofstream(file, std::ios::binary) << "[Sec]\nKey=here\n";
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(file.substr(0, file.rfind('\\')).c_str()));

  platform::win32::Win32Profile profile;
  std::vector<char> buffer(20, '\x7F');
  DWORD dotted = profile.GetPrivateProfileStringA("Sec", "Key", "none", buffer, ".\\Relative.ini");
  std::string dottedValue(buffer.data());
  DWORD bare = profile.GetPrivateProfileStringA("Sec", "Key", "none", buffer, "Relative.ini");
  std::string bareValue(buffer.data());
  SetCurrentDirectoryA(previous);

  EXPECT_EQ(dotted, 4u);
  EXPECT_EQ(dottedValue, "here");
  EXPECT_EQ(bare, 4u);
  EXPECT_EQ(bareValue, "none");
}

INSTANTIATE_TEST_SUITE_P(Shared, Win32ProfileCases, testing::ValuesIn(cases::ProfileCases()),
                         [](const testing::TestParamInfo<cases::ProfileCase>& paramInfo) { return paramInfo.param.name; });

}  // namespace

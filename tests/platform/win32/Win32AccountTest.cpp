// The account queries and the system profile of the installation gate, on the real functions.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Windows1252.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Profile.h"

namespace {

TEST(Win32Account, UserNameFitsItsBufferAndNamesALocalAccount) {
  platform::win32::Win32Process process;
  std::string name;
  ASSERT_EQ(process.GetUserNameA(100, name), 0u);
  ASSERT_FALSE(name.empty());
  std::string cut;
  EXPECT_EQ(process.GetUserNameA(static_cast<platform::DWORD>(name.size()), cut), platform::DWORD{ERROR_INSUFFICIENT_BUFFER});
  EXPECT_EQ(process.GetUserNameA(static_cast<platform::DWORD>(name.size() + 1), cut), 0u);
  EXPECT_EQ(cut, name);

  platform::UserInfo1 account;
  EXPECT_EQ(process.NetUserGetInfo(platform::AnsiToUtf16(name), account), 0u) << name;
  EXPECT_EQ(account.name, platform::AnsiToUtf16(name));
  EXPECT_EQ(process.NetUserGetInfo(u"kvx-no-such-account", account), platform::neterr::UserNotFound);
}

// A section of the test's own, removed afterwards: the gate's "Ports" is not a file section on
// Windows, and Wine maps it nowhere.
TEST(Win32SystemProfile, WrittenEntryReadsBackInTheSection) {
  constexpr const char* kSection = "KvxGateProbe";
  platform::win32::Win32Profile profile;
  const platform::DWORD written = profile.WriteProfileStringA(kSection, "LPT1:", "");
  if (written != 0) GTEST_SKIP() << "WriteProfileStringA failed with " << written;
  std::vector<char> buffer(1024, '\x7F');
  const platform::DWORD length = profile.GetProfileSectionA(kSection, buffer);
  ::WriteProfileStringA(kSection, nullptr, nullptr);
  EXPECT_EQ(std::string(buffer.data(), length + 1), std::string("LPT1:=\0\0", 8));
}

}  // namespace

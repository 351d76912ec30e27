#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>

#include "platform/win32/Win32Process.h"
#include "WineHost.h"

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

TEST(Win32Process, ModulePathIsTheFullWindowsPathOfThisProgram) {
  platform::win32::Win32Process process;
  std::string path = process.GetModuleFileNameA();
  ASSERT_GT(path.size(), 3u);
  EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(path[0])) && path.substr(1, 2) == ":\\") << path;
  const std::string name = "\\kvx_tests_win.exe";
  ASSERT_GE(path.size(), name.size());
  EXPECT_EQ(Lower(path.substr(path.size() - name.size())), name) << path;
  DWORD attributes = GetFileAttributesA(path.c_str());
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES) << path;
  EXPECT_FALSE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(Win32Process, PrivilegesAreLookedUpAndAdjustedOnTheProcessToken) {
  platform::win32::Win32Process process;
  struct Case {
    const char16_t* name;
    DWORD error;
    DWORD luid;
  };
  const Case cases[] = {{u"SeBackupPrivilege", 0, 17}, {u"serestoreprivilege", 0, 18},
                        {u"SeNothingPrivilege", ERROR_NO_SUCH_PRIVILEGE, 0}};
  std::unique_ptr<platform::AccessToken> token;
  ASSERT_EQ(process.OpenProcessToken(TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token), 0u);
  for (const Case& c : cases) {
    platform::Luid luid;
    EXPECT_EQ(process.LookupPrivilegeValueW(c.name, luid), c.error);
    if (c.error != 0) continue;
    EXPECT_EQ(luid, (platform::Luid{c.luid, 0}));
    bool allAssigned = false;
    EXPECT_EQ(token->AdjustPrivilege(luid, SE_PRIVILEGE_ENABLED, allAssigned), 0u);
  }
  // Without TOKEN_ADJUST_PRIVILEGES the token refuses.
  ASSERT_EQ(process.OpenProcessToken(TOKEN_QUERY, token), 0u);
  bool allAssigned = true;
  EXPECT_EQ(token->AdjustPrivilege(platform::Luid{17, 0}, SE_PRIVILEGE_ENABLED, allAssigned),
            static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(Win32Process, UiLanguageIsAValidLanguage) {
  platform::win32::Win32Process process;
  LANGID language = process.GetUserDefaultUILanguage();
  EXPECT_NE(PRIMARYLANGID(language), LANG_NEUTRAL);
  char name[LOCALE_NAME_MAX_LENGTH];
  EXPECT_GT(GetLocaleInfoA(MAKELCID(language, SORT_DEFAULT), LOCALE_SISO639LANGNAME, name, sizeof name), 0);
  if (wine_host::UnderWine()) {
    // The harness runs Wine in the C.UTF-8 locale, which Wine maps to US English.
    EXPECT_EQ(language, platform::lang::EnglishUs);
  }
}

}  // namespace

// The registry backend against the real registry, under HKEY_CURRENT_USER\Software\KvxTest.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Registry.h"

namespace {

using platform::RootKey;
using platform::RegistryKey;
namespace regtype = platform::regtype;
namespace regaccess = platform::regaccess;
using Bytes = std::vector<std::uint8_t>;

constexpr const char* kTestRoot = "Software\\KvxTest";

class Win32RegistryTest : public testing::Test {
protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot);  // left by an aborted run
    ASSERT_EQ(registry.CreateKey(RootKey::CurrentUser, kTestRoot, regaccess::AllAccess, root), ERROR_SUCCESS);
  }
  void TearDown() override {
    root.reset();
    RegDeleteTreeA(HKEY_CURRENT_USER, kTestRoot);
  }

  // The subkeys of the test key's `sub`, sorted, as the registry itself lists them.
  static std::vector<std::string> SubKeys(const std::string& sub) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (std::string(kTestRoot) + sub).c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    std::vector<std::string> names;
    char name[256];
    DWORD length = sizeof name;
    while (RegEnumKeyExA(key, static_cast<DWORD>(names.size()), name, &length, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS) {
      names.emplace_back(name, length);
      length = sizeof name;
    }
    RegCloseKey(key);
    std::sort(names.begin(), names.end());
    return names;
  }

  platform::win32::Win32Registry registry;
  std::unique_ptr<RegistryKey> root;
};

TEST_F(Win32RegistryTest, ValuesOfEachTypeReadBackAsStored) {
  const Bytes binary{0x00, 0xFF, 0x10, 0x00, 0x7F};
  const Bytes multi{'a', 0, 'b', 'c', 0, 0};
  ASSERT_EQ(root->SetValue("Text", regtype::Sz, platform::RegSzBytes("KorvexVT5K.dll")), ERROR_SUCCESS);
  ASSERT_EQ(root->SetValue("Number", regtype::Dword, platform::RegDwordBytes(0x12345678)), ERROR_SUCCESS);
  ASSERT_EQ(root->SetValue("Blob", regtype::Binary, binary), ERROR_SUCCESS);
  ASSERT_EQ(root->SetValue("List", regtype::MultiSz, multi), ERROR_SUCCESS);
  ASSERT_EQ(root->SetValue("", regtype::Sz, platform::RegSzBytes("default")), ERROR_SUCCESS);

  platform::DWORD type = 0;
  Bytes data;
  ASSERT_EQ(root->QueryValue("text", type, data), ERROR_SUCCESS);  // names ignore case
  EXPECT_EQ(type, regtype::Sz);
  EXPECT_EQ(data, platform::RegSzBytes("KorvexVT5K.dll"));
  EXPECT_EQ(platform::RegSzText(data), "KorvexVT5K.dll");

  ASSERT_EQ(root->QueryValue("Number", type, data), ERROR_SUCCESS);
  EXPECT_EQ(type, regtype::Dword);
  EXPECT_EQ(data, platform::RegDwordBytes(0x12345678));

  ASSERT_EQ(root->QueryValue("Blob", type, data), ERROR_SUCCESS);
  EXPECT_EQ(type, regtype::Binary);
  EXPECT_EQ(data, binary);

  ASSERT_EQ(root->QueryValue("List", type, data), ERROR_SUCCESS);
  EXPECT_EQ(type, regtype::MultiSz);
  EXPECT_EQ(data, multi);

  ASSERT_EQ(root->QueryValue("", type, data), ERROR_SUCCESS);
  EXPECT_EQ(platform::RegSzText(data), "default");
}

TEST_F(Win32RegistryTest, LargeAndEmptyValuesKeepTheirSize) {
  const Bytes large(70000, 0xA5);
  ASSERT_EQ(root->SetValue("Large", regtype::Binary, large), ERROR_SUCCESS);
  ASSERT_EQ(root->SetValue("Empty", regtype::Binary, {}), ERROR_SUCCESS);
  platform::DWORD type = 0;
  Bytes data{1, 2, 3};
  ASSERT_EQ(root->QueryValue("Large", type, data), ERROR_SUCCESS);
  EXPECT_EQ(data, large);
  ASSERT_EQ(root->QueryValue("Empty", type, data), ERROR_SUCCESS);
  EXPECT_EQ(type, regtype::Binary);
  EXPECT_TRUE(data.empty());
}

TEST_F(Win32RegistryTest, OverwriteDeleteAndMissingValues) {
  ASSERT_EQ(root->SetValue("PortName", regtype::Sz, platform::RegSzBytes("COM1:")), ERROR_SUCCESS);
  ASSERT_EQ(root->SetValue("PortName", regtype::Sz, platform::RegSzBytes("LPT1:")), ERROR_SUCCESS);
  platform::DWORD type = 0;
  Bytes data;
  ASSERT_EQ(root->QueryValue("PortName", type, data), ERROR_SUCCESS);
  EXPECT_EQ(platform::RegSzText(data), "LPT1:");

  ASSERT_EQ(RegDeleteKeyValueA(HKEY_CURRENT_USER, kTestRoot, "PortName"), ERROR_SUCCESS);
  EXPECT_EQ(root->QueryValue("PortName", type, data), ERROR_FILE_NOT_FOUND);
}

TEST_F(Win32RegistryTest, KeysAreCreatedAndOpened) {
  const std::string test = kTestRoot;
  std::unique_ptr<RegistryKey> key;
  ASSERT_EQ(registry.CreateKey(RootKey::CurrentUser, test + "\\Monitors\\Korvex Port", regaccess::AllAccess, key),
            ERROR_SUCCESS);
  ASSERT_EQ(key->SetValue("Driver", regtype::Sz, platform::RegSzBytes("KorvexMon.dll")), ERROR_SUCCESS);
  ASSERT_EQ(registry.CreateKey(RootKey::CurrentUser, test + "\\Drivers", regaccess::AllAccess, key), ERROR_SUCCESS);
  // Creating an existing key opens it.
  ASSERT_EQ(registry.CreateKey(RootKey::CurrentUser, test + "\\monitors", regaccess::AllAccess, key), ERROR_SUCCESS);
  EXPECT_THAT(SubKeys("\\Monitors"), testing::ElementsAre("Korvex Port"));

  EXPECT_THAT(SubKeys(""), testing::ElementsAre("Drivers", "Monitors"));

  std::unique_ptr<RegistryKey> opened;
  ASSERT_EQ(registry.OpenKey(RootKey::CurrentUser, std::string(kTestRoot) + "\\Monitors\\Korvex Port", regaccess::Read,
                             opened),
            ERROR_SUCCESS);
  platform::DWORD type = 0;
  Bytes data;
  ASSERT_EQ(opened->QueryValue("Driver", type, data), ERROR_SUCCESS);
  EXPECT_EQ(platform::RegSzText(data), "KorvexMon.dll");
}

TEST_F(Win32RegistryTest, MissingKeyIsFileNotFoundAndLeavesOutputAlone) {
  std::unique_ptr<RegistryKey> key;
  EXPECT_EQ(registry.OpenKey(RootKey::CurrentUser, std::string(kTestRoot) + "\\Nope", regaccess::Read, key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
}

LONG QueryInfo(HKEY key) {
  DWORD subKeys = 0;
  return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                          nullptr, nullptr);
}

// GetProcessHandleCount is always 0 under Wine, so this watches one handle instead: Windows and
// Wine both hand out the slot freed last, so a key opened right after `probe` was closed gets its value.
TEST_F(Win32RegistryTest, KeyObjectsCloseTheirHandles) {
  auto expectClosedOnDestruction = [](auto open, const char* what) {
    HKEY probe = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kTestRoot, 0, KEY_READ, &probe), ERROR_SUCCESS);
    RegCloseKey(probe);
    {
      std::unique_ptr<RegistryKey> key;
      ASSERT_EQ(open(key), ERROR_SUCCESS) << what;
      ASSERT_EQ(QueryInfo(probe), ERROR_SUCCESS) << what << ": the key did not take the freed slot";
    }
    EXPECT_EQ(QueryInfo(probe), ERROR_INVALID_HANDLE) << what << " left its handle open";
  };
  expectClosedOnDestruction(
      [&](auto& key) { return registry.OpenKey(RootKey::CurrentUser, kTestRoot, regaccess::Read, key); }, "OpenKey");
  expectClosedOnDestruction(
      [&](auto& key) { return registry.CreateKey(RootKey::CurrentUser, kTestRoot, regaccess::Read, key); },
      "CreateKey");
}

// Only as far as the calls: Wine saves a text file and its restore does nothing, so the file's format
// and the restored content are checked on the simulated machine.
TEST_F(Win32RegistryTest, WideOpenSaveAndRestoreReachTheRegistry) {
  platform::win32::Win32Process process;
  std::unique_ptr<platform::AccessToken> token;
  ASSERT_EQ(process.OpenProcessToken(TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token), 0u);
  for (const char16_t* name : {u"SeBackupPrivilege", u"SeRestorePrivilege"}) {
    platform::Luid luid;
    bool allAssigned = false;
    ASSERT_EQ(process.LookupPrivilegeValueW(name, luid), 0u);
    ASSERT_EQ(token->AdjustPrivilege(luid, SE_PRIVILEGE_ENABLED, allAssigned), 0u);
    if (!allAssigned) GTEST_SKIP() << "the account does not hold the backup and restore privileges";
  }
  ASSERT_EQ(root->SetValue("Port", regtype::Sz, platform::RegSzBytes("COM1:")), ERROR_SUCCESS);
  std::unique_ptr<RegistryKey> key;
  EXPECT_EQ(registry.OpenKeyW(RootKey::CurrentUser, u"Software\\KvxTest\\Missing", regaccess::Read, key),
            ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(registry.OpenKeyW(RootKey::CurrentUser, u"Software\\KvxTest", regaccess::Read | regaccess::Wow64_64Key,
                              key),
            ERROR_SUCCESS);

  wchar_t folder[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, folder), 0u);
  const std::u16string file = reinterpret_cast<const char16_t*>(folder) + std::u16string(u"kvx-hive-test.hiv");
  DeleteFileW(reinterpret_cast<LPCWSTR>(file.c_str()));
  EXPECT_EQ(key->SaveKeyExW(file, platform::regsave::LatestFormat), ERROR_SUCCESS);
  EXPECT_NE(GetFileAttributesW(reinterpret_cast<LPCWSTR>(file.c_str())), INVALID_FILE_ATTRIBUTES);
  std::unique_ptr<RegistryKey> writable;
  ASSERT_EQ(registry.OpenKeyW(RootKey::CurrentUser, u"Software\\KvxTest", regaccess::AllAccess, writable),
            ERROR_SUCCESS);
  EXPECT_EQ(writable->RestoreKeyW(file, platform::regrestore::ForceRestore), ERROR_SUCCESS);
  DeleteFileW(reinterpret_cast<LPCWSTR>(file.c_str()));
}

// What a printer-settings file is read with: a key's values in order (text as UTF-16) and a subkey
// opened from the key.
TEST_F(Win32RegistryTest, ValuesAreEnumeratedWideAndSubkeysOpenedFromAKey) {
  std::unique_ptr<RegistryKey> data;
  ASSERT_EQ(registry.CreateKey(RootKey::CurrentUser, std::string(kTestRoot) + "\\PrinterDriverData", regaccess::AllAccess, data),
            ERROR_SUCCESS);
  ASSERT_EQ(data->SetValue("TTFontSubTableSize", regtype::Dword, platform::RegDwordBytes(9)), ERROR_SUCCESS);
  ASSERT_EQ(data->SetValue("TrayFormTable", regtype::MultiSz, Bytes{'A', 0, 0}), ERROR_SUCCESS);
  std::unique_ptr<RegistryKey> sub;
  EXPECT_EQ(root->OpenSubKeyW(u"Missing", regaccess::Read, sub), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(root->OpenSubKeyW(u"PrinterDriverData", regaccess::Read, sub), ERROR_SUCCESS);
  std::vector<std::tuple<std::u16string, platform::DWORD, Bytes>> values;
  std::u16string name;
  platform::DWORD type = 0;
  Bytes bytes;
  while (sub->EnumValueW(static_cast<platform::DWORD>(values.size()), name, type, bytes) == ERROR_SUCCESS)
    values.emplace_back(name, type, bytes);
  EXPECT_EQ(sub->EnumValueW(static_cast<platform::DWORD>(values.size()), name, type, bytes), ERROR_NO_MORE_ITEMS);
  std::sort(values.begin(), values.end());
  EXPECT_EQ(values, (decltype(values){{u"TTFontSubTableSize", REG_DWORD, Bytes{9, 0, 0, 0}},
                                      {u"TrayFormTable", REG_MULTI_SZ, Bytes{'A', 0, 0, 0, 0, 0}}}));
}

}  // namespace

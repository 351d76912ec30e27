// Saving a key to a hive file and restoring it, with the process token's privileges, answer as
// Windows does; a forced restore makes the key exactly what was saved.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/sim/RegistryDump.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::DWORD;
using platform::RegistryKey;
using platform::RootKey;
namespace winerr = platform::winerr;
namespace regaccess = platform::regaccess;
namespace regtype = platform::regtype;

constexpr const char* kPrinterKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\Kvx";

const std::vector<std::u16string> kBoth = {u"SeBackupPrivilege", u"SeRestorePrivilege"};

std::vector<std::uint8_t> Sz(const std::string& text) { return platform::RegSzBytes(text); }

// A printer's key with values and a subkey.
void AddPrinterKey(platform::Platform& p) {
  std::unique_ptr<RegistryKey> key;
  ASSERT_EQ(p.registry.CreateKey(RootKey::LocalMachine, kPrinterKey, regaccess::AllAccess, key), 0);
  ASSERT_EQ(key->SetValue("Port", regtype::Sz, Sz("COM1:")), 0);
  ASSERT_EQ(key->SetValue("Default DevMode", regtype::Binary, {1, 2, 3}), 0);
  std::unique_ptr<RegistryKey> data;
  ASSERT_EQ(p.registry.CreateKey(RootKey::LocalMachine, std::string(kPrinterKey) + "\\PrinterDriverData",
                                 regaccess::AllAccess, data),
            0);
  ASSERT_EQ(data->SetValue("Lines", regtype::MultiSz, {'a', 0, 'b', 0, 0}), 0);
}

// Enables the privileges as the import/export page does.
void Enable(platform::Platform& p, const std::vector<std::u16string>& names) {
  std::unique_ptr<platform::AccessToken> token;
  ASSERT_EQ(p.process.OpenProcessToken(platform::tokenaccess::AdjustPrivileges | platform::tokenaccess::Query, token), 0u);
  for (const std::u16string& name : names) {
    platform::Luid luid;
    ASSERT_EQ(p.process.LookupPrivilegeValueW(name, luid), 0u);
    bool all = false;
    ASSERT_EQ(token->AdjustPrivilege(luid, platform::seprivilege::Enabled, all), 0u);
  }
}

std::unique_ptr<RegistryKey> OpenPrinterKey(platform::Platform& p, DWORD access) {
  std::unique_ptr<RegistryKey> key;
  EXPECT_EQ(p.registry.OpenKeyW(RootKey::LocalMachine, u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\Kvx",
                                access, key), 0);
  return key;
}

class SimRegistryHiveTest : public testing::Test {
protected:
  void SetUp() override { AddPrinterKey(p_); }
  std::unique_ptr<RegistryKey> Open(DWORD access) { return OpenPrinterKey(p_, access); }

  std::string Dump() {
    auto lock = machine_->Lock();
    std::lock_guard treeLock(machine_->registryTree().mutex());
    return simtest::DumpKey(*machine_->registryTree().Key(RootKey::LocalMachine, kPrinterKey));
  }

  std::unique_ptr<platform::sim::SimMachine> machine_ = platform::sim::SimMachine::InMemory();
  platform::Platform p_ = machine_->platform();
};

TEST_F(SimRegistryHiveTest, SaveAndRestoreAnswerAsWindows) {
  enum class Op { Save, Restore };
  struct Case {
    const char* what;
    bool administrator;
    std::vector<std::u16string> enabled;
    Op op;
    const char16_t* file;
    DWORD access;
    DWORD flags;
    bool subkeyOpen;
    DWORD expected;
  };
  const std::vector<std::u16string>& both = kBoth;
  const DWORD latest = platform::regsave::LatestFormat;
  const DWORD force = platform::regrestore::ForceRestore;
  const Case cases[] = {
      {"save", true, both, Op::Save, u"C:\\new.hiv", regaccess::Read, latest, false, 0},
      {"save over a file", true, both, Op::Save, u"C:\\saved.hiv", regaccess::Read, latest, false, winerr::AlreadyExists},
      {"save, privilege not enabled", true, {}, Op::Save, u"C:\\new.hiv", regaccess::Read, latest, false,
       winerr::PrivilegeNotHeld},
      {"save, standard user", false, both, Op::Save, u"C:\\new.hiv", regaccess::Read, latest, false,
       winerr::PrivilegeNotHeld},
      {"save, handle without read access", true, both, Op::Save, u"C:\\new.hiv", regaccess::SetValue, latest, false,
       winerr::AccessDenied},
      {"save, two formats", true, both, Op::Save, u"C:\\new.hiv", regaccess::Read, 3, false, winerr::InvalidParameter},
      {"save into a missing folder", true, both, Op::Save, u"C:\\none\\new.hiv", regaccess::Read, latest, false,
       winerr::PathNotFound},
      {"restore", true, both, Op::Restore, u"C:\\saved.hiv", regaccess::AllAccess, force, false, 0},
      {"restore a missing file", true, both, Op::Restore, u"C:\\none.hiv", regaccess::AllAccess, force, false,
       winerr::FileNotFound},
      {"restore a text file", true, both, Op::Restore, u"C:\\text.reg", regaccess::AllAccess, force, false,
       winerr::NotRegistryFile},
      {"restore, backup privilege only", true, {u"SeBackupPrivilege"}, Op::Restore, u"C:\\saved.hiv",
       regaccess::AllAccess, force, false, winerr::PrivilegeNotHeld},
      {"restore, standard user", false, both, Op::Restore, u"C:\\saved.hiv", regaccess::Read, force, false,
       winerr::PrivilegeNotHeld},
      {"restore, read-only handle", true, both, Op::Restore, u"C:\\saved.hiv", regaccess::Read, force, false,
       winerr::AccessDenied},
      {"restore, a subkey open", true, both, Op::Restore, u"C:\\saved.hiv", regaccess::AllAccess, 0, true,
       winerr::AccessDenied},
      {"restore, a subkey open, forced", true, both, Op::Restore, u"C:\\saved.hiv", regaccess::AllAccess, force, true, 0},
  };
  Enable(p_, kBoth);
  ASSERT_EQ(Open(regaccess::Read)->SaveKeyExW(u"C:\\saved.hiv", latest), 0);
  const std::string saved = simtest::ReadFile(machine_->driveC() / "saved.hiv");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto machine = platform::sim::SimMachine::InMemory();  // a new run: nothing enabled
    platform::Platform p = machine->platform();
    AddPrinterKey(p);
    simtest::WriteFile(machine->driveC() / "saved.hiv", saved);
    simtest::WriteFile(machine->driveC() / "text.reg", "Windows Registry Editor Version 5.00\r\n");
    machine->config().user.administrator = c.administrator;
    Enable(p, c.enabled);

    std::unique_ptr<RegistryKey> key = OpenPrinterKey(p, c.access);
    ASSERT_NE(key, nullptr);
    std::unique_ptr<RegistryKey> sub;
    if (c.subkeyOpen) {
      ASSERT_EQ(p.registry.OpenKey(RootKey::LocalMachine, std::string(kPrinterKey) + "\\PrinterDriverData",
                                   regaccess::Read, sub),
                0);
    }
    const DWORD result = static_cast<DWORD>(c.op == Op::Save ? key->SaveKeyExW(c.file, c.flags)
                                                              : key->RestoreKeyW(c.file, c.flags));
    EXPECT_EQ(result, c.expected);
  }
}

TEST_F(SimRegistryHiveTest, ForcedRestoreMakesTheKeyExactlyTheSavedOne) {
  Enable(p_, kBoth);
  const std::string saved = Dump();
  ASSERT_EQ(Open(regaccess::Read)->SaveKeyExW(u"C:\\Backup\\..\\printer", platform::regsave::LatestFormat),
            static_cast<platform::LONG>(winerr::Success));

  std::unique_ptr<RegistryKey> key = Open(regaccess::AllAccess);
  std::unique_ptr<RegistryKey> added;
  ASSERT_EQ(key->SetValue("Port", regtype::Sz, Sz("LPT1:")), 0);
  ASSERT_EQ(key->SetValue("New", regtype::Dword, platform::RegDwordBytes(1)), 0);
  ASSERT_EQ(p_.registry.CreateKey(RootKey::LocalMachine, std::string(kPrinterKey) + "\\Added", regaccess::AllAccess,
                                  added),
            0);
  ASSERT_EQ(key->RestoreKeyW(u"C:\\printer", platform::regrestore::ForceRestore), 0);

  EXPECT_EQ(Dump(), saved);
  // A handle to a key the restore removed sees it gone; the restoring handle goes on working.
  EXPECT_EQ(added->SetValue("x", regtype::Dword, platform::RegDwordBytes(1)), static_cast<platform::LONG>(winerr::KeyDeleted));
  DWORD type = 0;
  std::vector<std::uint8_t> data;
  EXPECT_EQ(added->QueryValue("x", type, data), static_cast<platform::LONG>(winerr::KeyDeleted));
  EXPECT_EQ(key->QueryValue("Port", type, data), 0);
  EXPECT_EQ(data, Sz("COM1:"));
  key.reset();
  added.reset();
  EXPECT_EQ(machine_->handles().OpenCount(), 0u) << testing::PrintToString(machine_->handles().Describe());
}

TEST_F(SimRegistryHiveTest, WideKeyNamesOutsideTheCodePageNameNoKey) {
  std::unique_ptr<RegistryKey> key;
  ASSERT_EQ(p_.registry.CreateKey(RootKey::CurrentUser, "Caf\xE9", regaccess::AllAccess, key), 0);
  struct Case {
    const char16_t* name;
    platform::LONG expected;
  };
  const Case cases[] = {{u"CAF\u00C9", 0}, {u"Caf\u4E2D", 2}, {u"Caf\u00E9\\Missing", 2}};
  for (const Case& c : cases) {
    std::unique_ptr<RegistryKey> opened;
    EXPECT_EQ(p_.registry.OpenKeyW(RootKey::CurrentUser, c.name, regaccess::Read, opened), c.expected);
  }
}

TEST(SimAccessTokenTest, PrivilegesAreEnabledOnlyWhereTheAccountHoldsThem) {
  struct Case {
    bool administrator;
    const char16_t* privilege;
    DWORD tokenAccess;
    DWORD error;
    bool allAssigned;
  };
  constexpr DWORD kAdjust = platform::tokenaccess::AdjustPrivileges;
  const Case cases[] = {
      {true, u"SeBackupPrivilege", kAdjust, 0, true},
      {true, u"serestoreprivilege", kAdjust, 0, true},
      {true, u"SeShutdownPrivilege", kAdjust, 0, false},
      {false, u"SeBackupPrivilege", kAdjust, 0, false},
      {true, u"SeBackupPrivilege", platform::tokenaccess::Query, winerr::AccessDenied, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.administrator << " " << std::string(c.privilege, c.privilege + 5));
    auto machine = platform::sim::SimMachine::InMemory();
    machine->config().user.administrator = c.administrator;
    platform::Platform p = machine->platform();
    std::unique_ptr<platform::AccessToken> token;
    ASSERT_EQ(p.process.OpenProcessToken(c.tokenAccess, token), 0u);
    platform::Luid luid;
    ASSERT_EQ(p.process.LookupPrivilegeValueW(c.privilege, luid), 0u);
    bool all = !c.allAssigned;
    EXPECT_EQ(token->AdjustPrivilege(luid, platform::seprivilege::Enabled, all), c.error);
    EXPECT_EQ(all, c.allAssigned);
    EXPECT_EQ(machine->handles().OpenCount("token"), 1u);
  }
  auto machine = platform::sim::SimMachine::InMemory();
  platform::Luid luid;
  EXPECT_EQ(machine->platform().process.LookupPrivilegeValueW(u"SeNothingPrivilege", luid), winerr::NoSuchPrivilege);
}

}  // namespace

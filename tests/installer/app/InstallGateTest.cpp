#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>

#include "app/CPrinterModelDlg.h"
#include "app/InstallGate.h"
#include "installer/InstallerTestSupport.h"
#include "resource.h"

namespace {

using installertest::AppHarness;
using installertest::CatalogFolder;
using platform::UINT;

constexpr UINT kRefused = 0xFFFFFFFE;
constexpr UINT kQuiet = 0;
constexpr UINT kFatal = 0xFFFFFFFF;

const std::string kPrivilegeMessage =
    R"(message "KvxInstaller" "Sorry!! You do not have enough privileges to install a printer. Contact your system administrator." -> OK)";
const std::string kWrongOsMessage = R"(message "OS Not Supported" "Wrong Operating System" -> OK)";
const std::string kNotSupportedMessage = R"(message "KvxInstaller" "OS not supported!" -> OK)";
const std::string kComOnly = "[Ports]\r\nCOM1:=9600,n,8,1\r\nCOM2:=\r\n";
const std::string kLptListing = std::string("LPT1:=\0LPT2:=\0LPT3:=\0LPT4:=\0", 28);

class GateTest : public ::testing::Test {
protected:
  // The version GetVersionExA answers for a kind; kOsUnknown: the query fails and the pick dialog is closed.
  void SetKind(OsKind kind) {
    struct Version {
      OsKind kind;
      platform::DWORD platformId, major, minor;
    };
    static constexpr Version kVersions[] = {{kOsWin31, 0, 3, 10}, {kOsWin95, 1, 4, 0},   {kOsWin98, 1, 4, 10},
                                            {kOsWinNt4, 2, 4, 0}, {kOsWin2000, 2, 5, 0}, {kOsWinXp, 2, 5, 1},
                                            {kOsWin2003, 2, 5, 2}, {kOsVistaOrLater, 2, 6, 2}};
    auto& os = harness.machine->config().os;
    os.queryError = platform::winerr::InvalidParameter;
    for (const Version& v : kVersions) {
      if (v.kind == kind) os = {v.platformId, v.major, v.minor, 1000, "", 0};
    }
  }
  // GetUserNameA's 100-character buffer cannot take the name.
  void MakeUserNameUnreadable() { harness.machine->config().user.name = std::string(100, 'u'); }
  std::filesystem::path WinIni() const { return harness.machine->driveC() / "Windows" / "win.ini"; }
  std::string PortsListing() {
    std::vector<char> buffer(1024);
    const platform::DWORD length = harness.platform.profile.GetProfileSectionA("Ports", buffer);
    return std::string(buffer.data(), length);
  }
  // The exit code when the gate ended the process.
  std::optional<UINT> PassGate() {
    try {
      installer.reset();
      installer = CheckOperatingSystem(harness.context, &dialog, osKind);
      return std::nullopt;
    } catch (const platform::ProcessExit& exit) {
      return exit.code;
    }
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> messages;
    for (const std::string& line : harness.transcript.lines)
      if (line.rfind("message ", 0) == 0) messages.push_back(line);
    return messages;
  }

  CatalogFolder folder;
  AppHarness harness;
  CPrinterModelDlg dialog{harness.context};
  OsKind osKind = kOsUnknown;
  std::unique_ptr<Win2kXPInstaller> installer;
};

TEST_F(GateTest, DecidesByKindPrivilegeAndPorts) {
  struct Row {
    const char* name;
    OsKind kind;
    bool userNameReadable;
    std::optional<std::string> winIni;
    std::optional<UINT> exit;
    std::optional<std::string> message;
    bool lptAdded;
  };
  const Row rows[] = {
      {"Xp", kOsWinXp, true, kComOnly, {}, {}, true},
      {"VistaChecksNoPrivilege", kOsVistaOrLater, false, kComOnly, {}, {}, true},
      {"LptEntryAnywhere", kOsWinXp, true, "[Ports]\r\nCOM1:=\r\nLPT1:=\r\nCOM2:=\r\n", {}, {}, false},
      {"LptInAValue", kOsVistaOrLater, true, "[Ports]\r\nCOM1:=LPT\r\n", {}, {}, false},
      {"EmptySection", kOsWinXp, true, "[Ports]\r\n[Other]\r\nx=1\r\n", {}, {}, false},
      {"NoWinIni", kOsVistaOrLater, true, std::nullopt, {}, {}, false},
      {"Win2000LeavesPorts", kOsWin2000, true, kComOnly, {}, {}, false},
      {"Server2003LeavesPorts", kOsWin2003, true, kComOnly, {}, {}, false},
      {"Win2000NoPrivilege", kOsWin2000, false, kComOnly, kRefused, kPrivilegeMessage, false},
      {"XpNoPrivilege", kOsWinXp, false, kComOnly, kRefused, kPrivilegeMessage, false},
      {"Server2003NoPrivilege", kOsWin2003, false, kComOnly, kRefused, kPrivilegeMessage, false},
      {"Nt4", kOsWinNt4, true, kComOnly, kRefused, kWrongOsMessage, false},
      {"Nt4NoPrivilege", kOsWinNt4, false, kComOnly, kRefused, kPrivilegeMessage, false},
      {"Win95ChecksNoPrivilege", kOsWin95, false, kComOnly, kRefused, kWrongOsMessage, false},
      {"Win98", kOsWin98, true, kComOnly, kRefused, kWrongOsMessage, false},
      {"Win31", kOsWin31, false, kComOnly, kQuiet, kNotSupportedMessage, false},
      {"PickDialogClosed", kOsUnknown, true, kComOnly, kQuiet, kNotSupportedMessage, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    harness.transcript.lines.clear();
    harness.machine->config().user.name = "User";
    std::filesystem::remove(WinIni());
    SetKind(row.kind);
    if (!row.userNameReadable) MakeUserNameUnreadable();
    if (row.winIni) simtest::WriteFile(WinIni(), *row.winIni);
    const std::string listingBefore = PortsListing();

    EXPECT_EQ(PassGate(), row.exit);
    EXPECT_EQ(osKind, row.kind);
    EXPECT_EQ(installer != nullptr, !row.exit);
    EXPECT_EQ(Messages(), row.message ? std::vector<std::string>{*row.message} : std::vector<std::string>{});
    EXPECT_EQ(PortsListing(), listingBefore + (row.lptAdded ? kLptListing : ""));
    EXPECT_EQ(std::filesystem::exists(WinIni()), row.winIni.has_value());
  }
}

TEST_F(GateTest, FrameworkExceptionsEndTheProcess) {
  struct Row {
    const char* name;
    std::function<void()> fail;
    UINT exit;
    std::vector<std::string> messages;
  };
  const Row rows[] = {
      {"UserException", [] { throw ui::UserException{}; }, kQuiet, {}},
      {"OtherException", [] { throw std::runtime_error("no memory"); }, kFatal,
       {R"(message "KvxInstaller" "Fatal Error Occured!" -> OK)"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    harness.transcript.lines.clear();
    SetKind(kOsUnknown);
    harness.user.OnDialog(IDD_PICK_OS_TYPE, [&row](ui::headless::DialogDriver&) { row.fail(); });
    EXPECT_EQ(PassGate(), row.exit);
    EXPECT_EQ(installer, nullptr);
    EXPECT_EQ(Messages(), row.messages);
  }
}

// The installer asks for the kind at every use; when the system cannot tell, the kind picked at the gate holds.
TEST_F(GateTest, InstallerKeepsThePickedKindOnlyWhileTheSystemCannotTell) {
  SetKind(kOsUnknown);
  harness.user.OnDialog(IDD_PICK_OS_TYPE, [](ui::headless::DialogDriver& d) {
    d.SelectCombo(IDC_OS_COMBO, 5);
    d.Click(ui::idres::Ok);
  });
  ASSERT_EQ(PassGate(), std::nullopt);
  EXPECT_EQ(installer->context().CurrentOsKind(), kOsWinXp);
  SetKind(kOsWin2003);
  EXPECT_EQ(installer->context().CurrentOsKind(), kOsWin2003);
}

TEST_F(GateTest, PrivilegeNeedsOnlyAReadableUserName) {
  struct Row {
    const char* name;
    const char* libraries;  // machine.json "libraries"
    std::string userName;
    platform::DWORD accountQueryError;
    bool administrator;
    bool privileged;
  };
  const std::string longest(99, 'u');
  const Row rows[] = {
      {"Administrator", "{}", "User", 0, true, true},
      {"StandardUser", "{}", "User", 0, false, true},
      {"AccountQueryFails", "{}", "User", platform::neterr::UserNotFound, true, true},
      {"LongestName", "{}", longest, 0, true, true},
      {"NameTooLong", "{}", longest + "u", 0, true, false},
      {"NoNetapi32", R"({"missing": ["Netapi32.dll"]})", longest + "u", 0, true, true},
      {"NoNetUserGetInfo", R"({"missingFunctions": {"Netapi32.dll": ["NetUserGetInfo"]}})", longest + "u", 0, true, true},
      {"NoNetApiBufferFree", R"({"missingFunctions": {"netapi32.dll": ["NetApiBufferFree"]}})", longest + "u", 0, true,
       true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    harness.machine->document()["libraries"] = nlohmann::ordered_json::parse(row.libraries);
    auto& user = harness.machine->config().user;
    user.name = row.userName;
    user.accountQueryError = row.accountQueryError;
    user.administrator = row.administrator;
    EXPECT_EQ(HasInstallPrivilege(harness.context), row.privileged);
    EXPECT_EQ(harness.machine->handles().OpenCount("library"), 0u);
  }
}

// On the simulated machine ending the process unwinds to the program's end: the transcript says
// so, the exit status is the gate's code, and nothing is left open.
TEST(GateExit, EndsTheUnattendedRunWithTheGatesCode) {
  CatalogFolder folder;
  installertest::ProgramRun run;
  run.machine->config().os = {platform::osplatform::Windows, 4, 10, 2222, "", 0};
  EXPECT_EQ(run.Execute({"--unattended", "--model", "RQ-7200 TH", "--interface", "serial", "--port", "COM1"}), -2);
  const auto lines = run.OutLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], kWrongOsMessage);
  EXPECT_EQ(lines.back(), "outcome error");
  EXPECT_EQ(run.machine->handles().OpenCount(), 0u) << testing::PrintToString(run.machine->handles().Describe());
}

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "app/AppProfile.h"
#include "app/CPickOSType.h"
#include "app/CPrinterModelDlg.h"
#include "app/CTolvInstallerApp.h"
#include "app/ExitCodes.h"
#include "app/OsKind.h"
#include "app/ProgramMain.h"
#include "installer/InstallerTestSupport.h"
#include "platform/sim/SerialAttachments.h"
#include "resource.h"

namespace {

using installertest::AppHarness;
using installertest::CatalogFolder;
using ui::headless::DialogDriver;

class PickOsTest : public ::testing::Test {
protected:
  void FailVersionQuery() { harness.machine->config().os.queryError = platform::winerr::InvalidParameter; }
  CatalogFolder folder;
  AppHarness harness;
};

TEST_F(PickOsTest, KnownVersionsNeverAsk) {
  EXPECT_EQ(DetectOsKind(harness.context), kOsVistaOrLater);
  harness.machine->config().os = {platform::osplatform::Nt, 5, 2, 3790, "Service Pack 2", 0};
  EXPECT_EQ(DetectOsKind(harness.context), kOsWin2003);
  EXPECT_TRUE(harness.transcript.lines.empty());
}

TEST_F(PickOsTest, FailedQueryAsksTheUserWithTheDialogTexts) {
  FailVersionQuery();
  harness.user.OnDialog(IDD_PICK_OS_TYPE, [](DialogDriver& d) {
    EXPECT_EQ(d.Caption(), "Operational System");
    EXPECT_EQ(d.Text(IDC_OS_TEXT),
              "Unfortunately, the application was not able to detect your OS type automatically, please select your "
              "type from the options below:");
    EXPECT_EQ(d.ComboItems(IDC_OS_COMBO), (std::vector<std::string>{"WIN 31", "WIN 95", "WIN 98", "WIN NT", "WIN 2K",
                                                                      "WIN XP", "WIN VISTA"}));
    EXPECT_EQ(d.ComboSelection(IDC_OS_COMBO), -1);
    d.SelectCombo(IDC_OS_COMBO, 5);
    d.Click(ui::idres::Ok);
  });
  EXPECT_EQ(DetectOsKind(harness.context), kOsWinXp);
}

TEST_F(PickOsTest, EveryLabelMapsToItsKind) {
  FailVersionQuery();
  const OsKind kinds[] = {kOsWin31, kOsWin95, kOsWin98, kOsWinNt4, kOsWin2000, kOsWinXp, kOsVistaOrLater};
  for (int index = 0; index < 7; ++index) {
    harness.user.OnDialog(IDD_PICK_OS_TYPE, [index](DialogDriver& d) {
      d.SelectCombo(IDC_OS_COMBO, index);
      d.Click(ui::idres::Ok);
    });
    EXPECT_EQ(DetectOsKind(harness.context), kinds[index]) << index;
  }
}

TEST_F(PickOsTest, OkWithoutChoiceWarnsAndKeepsTheDialogOpen) {
  FailVersionQuery();
  harness.user.OnDialog(IDD_PICK_OS_TYPE, [](DialogDriver& d) {
    d.Click(ui::idres::Ok);
    EXPECT_TRUE(d.IsRunning());
    d.SelectCombo(IDC_OS_COMBO, 4);
    d.Click(ui::idres::Ok);
  });
  EXPECT_EQ(DetectOsKind(harness.context), kOsWin2000);
  ASSERT_EQ(harness.kit.MessageBoxes().size(), 1u);
  EXPECT_EQ(harness.kit.MessageBoxes()[0].caption, "KvxInstaller");
  EXPECT_EQ(harness.kit.MessageBoxes()[0].text, "Fatal Logic Error");
  EXPECT_EQ(harness.kit.MessageBoxes()[0].type, ui::mb::Ok | ui::mb::IconExclamation);
}

TEST_F(PickOsTest, ClosedWithoutChoiceGivesUnknown) {
  FailVersionQuery();
  harness.user.OnDialog(IDD_PICK_OS_TYPE, [](DialogDriver& d) { d.Close(); });
  EXPECT_EQ(DetectOsKind(harness.context), kOsUnknown);
}

TEST_F(PickOsTest, UnknownNtVersionAsksEachTime) {
  harness.machine->config().os = {platform::osplatform::Nt, 10, 0, 19045, "", 0};
  int asked = 0;
  auto pickXp = [&](DialogDriver& d) {
    ++asked;
    d.SelectCombo(IDC_OS_COMBO, 5);
    d.Click(ui::idres::Ok);
  };
  harness.user.OnEveryDialog(IDD_PICK_OS_TYPE, pickXp);
  EXPECT_EQ(DetectOsKind(harness.context), kOsWinXp);
  EXPECT_EQ(DetectOsKind(harness.context), kOsWinXp);  // nothing is remembered between the calls
  EXPECT_EQ(asked, 2);
}

TEST_F(PickOsTest, ModelDialogAsksAtStartAndKeepsTheAnswer) {
  FailVersionQuery();
  harness.user.OnDialog(IDD_PICK_OS_TYPE, [](DialogDriver& d) {
    d.SelectCombo(IDC_OS_COMBO, 2);
    d.Click(ui::idres::Ok);
  });
  CPrinterModelDlg dialog(harness.context);
  harness.user.OnDialog(IDD_PRINTER_MODEL, [](DialogDriver& d) {
    EXPECT_FALSE(d.IsEnabled(IDC_DRIVER_REDUCED));
    d.Click(2);
  });
  dialog.DoModal();
  EXPECT_EQ(dialog.selection.osKind, kOsWin98);
  EXPECT_EQ(harness.transcript.lines.front(), "dialog 133 \"Operational System\"");
}

TEST(PickOsPortuguese, TextsComeFromThePortugueseTable) {
  CatalogFolder folder;
  AppHarness harness(platform::lang::PortugueseBrazil);
  harness.machine->config().os.queryError = platform::winerr::InvalidParameter;
  std::string caption;
  harness.user.OnDialog(IDD_PICK_OS_TYPE, [&](DialogDriver& d) {
    caption = d.Caption();
    d.Close();
  });
  DetectOsKind(harness.context);
  EXPECT_FALSE(caption.empty());
  EXPECT_NE(caption, "Operational System");
}

class StartupTest : public ::testing::Test {
protected:
  bool NewMonitorPendingWith(const std::optional<std::string>& stored) {
    if (stored) {
      AppProfile profile(harness.platform.registry, "Korvex", "KvxInstaller");
      EXPECT_TRUE(profile.WriteProfileString("NEW_PORT_MONITOR_INSTALLED", "value", *stored));
    }
    bool pending = false;
    harness.user.OnDialog(IDD_PRINTER_MODEL, [&](DialogDriver& d) {
      pending = static_cast<CPrinterModelDlg&>(d.dialog()).selection.newMonitorPending;
      d.Click(2);
    });
    CTolvInstallerApp app(harness.context, {});
    EXPECT_FALSE(app.InitInstance());
    return pending;
  }
  CatalogFolder folder;
  AppHarness harness;
};

TEST_F(StartupTest, ProfileFlagMeansInstalledOnlyWhenExactlyOne) {
  EXPECT_TRUE(NewMonitorPendingWith(std::nullopt));
  EXPECT_TRUE(NewMonitorPendingWith("1 "));
  EXPECT_TRUE(NewMonitorPendingWith("01"));
  EXPECT_TRUE(NewMonitorPendingWith(""));
  EXPECT_FALSE(NewMonitorPendingWith("1"));
}

TEST_F(StartupTest, ProfileLivesUnderTheApplicationKey) {
  AppProfile profile(harness.platform.registry, "Korvex", "KvxInstaller");
  ASSERT_TRUE(profile.WriteProfileString("NEW_PORT_MONITOR_INSTALLED", "value", "1"));
  std::unique_ptr<platform::RegistryKey> key;
  ASSERT_EQ(harness.platform.registry.OpenKey(platform::RootKey::CurrentUser,
                                              "software\\KORVEX\\kvxinstaller\\new_port_monitor_installed",
                                              platform::regaccess::AllAccess, key),
            0u);
  platform::DWORD type = 0;
  std::vector<std::uint8_t> data;
  ASSERT_EQ(key->QueryValue("VALUE", type, data), 0u);
  EXPECT_EQ(type, platform::regtype::Sz);
  EXPECT_EQ(platform::RegSzText(data), "1");
  // A value of another type reads as missing.
  ASSERT_EQ(key->SetValue("value", platform::regtype::Dword, platform::RegDwordBytes(1)), 0u);
  EXPECT_EQ(profile.GetProfileString("NEW_PORT_MONITOR_INSTALLED", "value", "none"), "none");
}

TEST_F(StartupTest, HiddenFlagReachesTheModelDialog) {
  CCustomCommandLineInfo flags;
  flags.hidden = true;
  CTolvInstallerApp app(harness.context, flags);
  app.InitInstance();
  EXPECT_EQ(app.modelDialogResult, ui::idres::Cancel);
  EXPECT_FALSE(harness.Saw("dialog 148 \"Korvex Driver Install\""));
  EXPECT_TRUE(harness.Saw("dialog 149 \"Printer installation port\""));
}

class ProgramTest : public ::testing::Test, protected installertest::ProgramRun {
protected:
  CatalogFolder folder{"[Supported.Printers]\r\n  RQ-7200 TH  \r\nKiosk K1\r\nVT5000\r\nLindor=VT5200\r\n"};
};

TEST_F(ProgramTest, ListModelsPrintsWhatTheModelDialogShows) {
  EXPECT_EQ(Execute({"--list-models"}), kExitInstalled);
  EXPECT_EQ(OutLines(), (std::vector<std::string>{"RQ-7200 TH", "VT5000", "VT5200"}));
}

TEST_F(ProgramTest, UnattendedRunWritesTheTranscript) {
  // No driver files in this folder: the installation run fails.
  EXPECT_EQ(Execute({"--unattended", "--model", "VT5200", "--width", "48", "--driver", "reduced"}), kExitInstallFailed);
  const std::vector<std::string> expected{
      "dialog 148 \"Korvex Driver Install\"",
      "user select 1021 row 2 \"    VT5200   \"",
      "user click 1061 \"Advanced >>\"",
      "user click 1034 \"Driver for reduced scale printing\"",
      "user click 1055 \"48mm\"",
      "user click 1013 \"Continue\"",
      "choice model \"VT5200\"",
      "choice driver \"reduced\"",
      "choice width \"48\"",
      "dialog 149 \"Printer installation port\"",
  };
  const auto lines = OutLines();
  ASSERT_GE(lines.size(), expected.size() + 1);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), lines.begin())) << out.str();
  EXPECT_EQ(lines.back(), "outcome failed");
  EXPECT_EQ(machine->handles().OpenCount(), 0u);
}

TEST_F(ProgramTest, UnattendedProblemsAreSetupErrors) {
  EXPECT_EQ(Execute({"--unattended", "--model", "Kiosk K1"}), kExitSetupError);
  EXPECT_NE(err.str().find("Kiosk K1"), std::string::npos);
  EXPECT_EQ(OutLines().back(), "outcome error");
  machine->config().os = {platform::osplatform::Windows, 4, 90, 3000, "", 0};
  EXPECT_EQ(Execute({"--unattended", "--driver", "reduced"}), kExitSetupError);
  EXPECT_EQ(Execute({"--unattended", "--width", "65"}), kExitSetupError);
  EXPECT_TRUE(out.str().empty());
}

// Unanswered at the start and again at the installation gate, which then ends the run with 0.
TEST_F(ProgramTest, FailedVersionQueryLeavesThePickDialogUnanswered) {
  machine->config().os.queryError = platform::winerr::InvalidParameter;
  EXPECT_EQ(Execute({"--unattended"}), 0);
  const auto lines = OutLines();
  EXPECT_EQ(lines.front(), "dialog 133 \"Operational System\"");
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "dialog 133 \"Operational System\""), 2);
  EXPECT_EQ(lines.back(), "outcome error");
}

struct PageOptionsCase {
  const char* name;
  std::vector<std::string> args;
  int exitCode;
  std::vector<std::string> lines;  // in the transcript
  std::string error;               // on standard error
  // Lines are matched at their start, in this order.
};

void PrintTo(const PageOptionsCase& c, std::ostream* os) { *os << c.name; }

class PageOptionsTest : public ProgramTest, public testing::WithParamInterface<PageOptionsCase> {
protected:
  PageOptionsTest() {
    folder.Write(installertest::kExampleCatalog);
    machine->document()["devices"] = {installertest::PortDevice("COM1", "ACPI\\PNP0501"),
                                      installertest::PortDevice("COM2", "ACPI\\PNP0501"),
                                      installertest::PortDevice("LPT1", "ACPI\\PNP0400")};
  }
};

TEST_P(PageOptionsTest, AnswersTheInterfacePageOrStops) {
  const PageOptionsCase& c = GetParam();
  if (std::string(c.name).starts_with("Detect")) machine->config().serial["COM2"] = simtest::Printer(9600);
  std::vector<std::string> args{"--unattended"};
  args.insert(args.end(), c.args.begin(), c.args.end());
  EXPECT_EQ(Execute(args), c.exitCode) << out.str() << err.str();
  const auto lines = OutLines();
  auto at = lines.begin();
  for (const std::string& line : c.lines) {
    at = std::find_if(at, lines.end(), [&](const std::string& l) { return l.starts_with(line); });
    EXPECT_NE(at, lines.end()) << line << "\n" << out.str();
  }
  EXPECT_NE(err.str().find(c.error), std::string::npos) << err.str();
}

const std::string kRq = "RQ-7200 TH";
INSTANTIATE_TEST_SUITE_P(
    Options, PageOptionsTest,
    testing::Values(
        PageOptionsCase{"DetectFindsThePrinter", {"--model", kRq, "--interface", "serial", "--detect"}, kExitInstallFailed,
                        {"user click 1049 \"Detect\"", "choice interface \"serial\"", "choice port \"COM2:\"", "choice baud \"9600\""}, ""},
        PageOptionsCase{"DetectedPortMustMatch", {"--model", kRq, "--interface", "serial", "--detect", "--port", "COM1"},
                        kExitSetupError, {"outcome error"}, "--port COM1"},
        PageOptionsCase{"NothingDetected", {"--model", "VT5000", "--detect"}, kExitNotInstalled,
                        {"message \"KvxInstaller\" \"Unable to detect printer! Make sure it is connected and ON.\" -> OK",
                         "outcome not-installed"},
                        "no serial printer"},
        PageOptionsCase{"PortFromTheListAnyCase", {"--model", "VT5000", "--port", "com2", "--baud", "9600", "--flow", "dtr-dsr"},
                        kExitInstallFailed, {"choice port \"COM2:\"", "choice baud \"9600\"", "choice flow \"DTR/DSR\""}, ""},
        PageOptionsCase{"PortNotListedIsRefused", {"--model", kRq, "--interface", "parallel", "--port", "LPT3:"},
                        kExitSetupError, {"outcome error"}, "--port LPT3: is not in the page's port list (LPT1:)"},
        PageOptionsCase{"TypedPort", {"--model", kRq, "--interface", "parallel", "--type-port", "LPT3:"},
                        kExitInstallFailed, {"user type 1019 \"LPT3:\"", "choice port \"LPT3:\""}, ""},
        PageOptionsCase{"ModelInAnyCase", {"--model", "vt5000", "--port", "COM2"}, kExitInstallFailed,
                        {"choice model \"VT5000\""}, ""},
        PageOptionsCase{"MisspelledModel", {"--model", "VT500"}, kExitSetupError, {},
                        "model \"VT500\" is not in the model list (RQ-7200 TH, VT5000, VT5200)"},
        // This folder has no driver files.
        PageOptionsCase{"FailureShowsTheErrorLog", {"--model", "VT5000", "--port", "COM2"}, kExitInstallFailed,
                        {"outcome failed"}, "this run's lines of the error log errors.log:\n  CopyFile(.\\WIN2KXP\\"},
        PageOptionsCase{"Ethernet", {"--model", kRq, "--interface", "ethernet", "--ip", "192.0.2.7", "--tcp-port", "9101"},
                        kExitInstallFailed, {"choice port \"IP\"", "choice ip \"192.0.2.7\"", "choice tcp-port \"9101\""}, ""},
        PageOptionsCase{"EthernetNeedsAnAddress", {"--model", kRq, "--interface", "ethernet"}, kExitSetupError, {}, "--ip"},
        PageOptionsCase{"UsbOfOtherModels", {"--model", "VT5200"}, kExitInstallFailed, {"choice interface \"usb\"", "choice port \"USB\""}, ""},
        PageOptionsCase{"UsbOfOtherModelsHasNoPort", {"--model", "VT5200", "--interface", "usb", "--port", "COM3"},
                        kExitSetupError, {}, "--port"},
        PageOptionsCase{"NewVirtualPortThatNeverCame", {"--model", kRq, "--interface", "usb", "--add-vcom-port"},
                        kExitSetupError, {"message \"Usb VCOM\""}, "needs a port"},
        PageOptionsCase{"InterfaceNotOffered", {"--model", "VT5000", "--interface", "parallel"}, kExitSetupError, {}, "--interface parallel"},
        PageOptionsCase{"OptionOfAnotherInterface", {"--model", kRq, "--interface", "ethernet", "--baud", "9600"}, kExitSetupError, {}, "--baud"},
        PageOptionsCase{"OptionOfTheProposedInterface", {"--model", "VT5200", "--ip", "192.0.2.7"}, kExitSetupError, {}, "--ip"},
        PageOptionsCase{"HiddenSkipsTheModelDialog", {"hidden", "--model", kRq}, kExitSetupError, {}, "--model"}),
    [](const testing::TestParamInfo<PageOptionsCase>& param) { return std::string(param.param.name); });

}  // namespace

// The port pages of the interface dialog on the simulated machine, each hosted in a dialog.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <tuple>

#include <nlohmann/json.hpp>

#include "comm/CParallaleConfigDlg.h"
#include "comm/CSerialConfigDlg.h"
#include "comm/CUsbVCOM.h"
#include "installer/InstallerTestSupport.h"
#include "platform/sim/SerialAttachments.h"
#include "resource.h"

namespace {

using installertest::AppHarness;
using installertest::CatalogFolder;
using ui::headless::DialogDriver;
using Json = nlohmann::ordered_json;
using Strings = std::vector<std::string>;
namespace winerr = platform::winerr;

using installertest::PortDevice;
const std::string kBuiltIn = "ACPI\\PNP0501";
const std::string kVcom = "USB\\VID_5C3D&PID_0003";
const std::string kOtherAdapter = "USB\\VID_0403&PID_6001";

using installertest::PageHost;

class PortPageTest : public ::testing::Test {
protected:
  void SetDevices(Json devices) { harness.machine->document()["devices"] = std::move(devices); }
  std::size_t Calls(const char* op) const { return harness.machine->faults().CallCount(op); }
  // Message boxes shown: caption, text, type.
  using Shown = std::vector<std::tuple<std::string, std::string, unsigned>>;
  Shown Boxes() const {
    Shown shown;
    for (const auto& box : harness.kit.MessageBoxes()) shown.emplace_back(box.caption, box.text, box.type);
    return shown;
  }
  // Shows the page; `script` acts on it.
  void Run(ui::Dialog& page, const std::function<void(DialogDriver&)>& script) {
    harness.user.OnDialog(IDD_INTERFACE_CONFIG, [&](DialogDriver& d) {
      DialogDriver shown = d.Page(page.TemplateId());
      script(shown);
    });
    PageHost host(harness.context, page);
    host.DoModal();
  }

  CatalogFolder folder;
  AppHarness harness;
};

// --- Port lists ---------------------------------------------------------------------------

struct PortListCase {
  const char* name;
  std::function<std::unique_ptr<ui::Dialog>(AppContext&)> page;
  int box;
  Json devices;
  Strings items;
};

template <class Page>
std::unique_ptr<ui::Dialog> Make(AppContext& context) {
  return std::make_unique<Page>(context);
}

const Json kMixedMachine = Json::array({
    PortDevice("COM2", kBuiltIn), PortDevice("COM1", kBuiltIn), PortDevice("COM3", kBuiltIn, false),
    PortDevice("COM5", kOtherAdapter),  // a USB serial adapter: on no page
    PortDevice("COM8", "usb\\vid_5c3d&pid_0003"), PortDevice("COM7", kVcom), PortDevice("LPT1", "ACPI\\PNP0401"),
});

class PortListTest : public PortPageTest, public ::testing::WithParamInterface<PortListCase> {};

TEST_P(PortListTest, ListsThePagesPortsAndSelectsTheFirst) {
  const PortListCase& c = GetParam();
  SetDevices(c.devices);
  std::unique_ptr<ui::Dialog> page = c.page(harness.context);
  Run(*page, [&](DialogDriver& p) {
    EXPECT_EQ(p.ComboItems(c.box), c.items);
    EXPECT_EQ(p.ComboSelection(c.box), c.items.empty() ? -1 : 0);
    EXPECT_EQ(p.Text(c.box), c.items.empty() ? "" : c.items.front());
  });
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PortListTest,
    ::testing::Values(
        // Unsorted: the order of the device tree.
        PortListCase{"SerialBuiltInOnly", Make<CSerialConfigDlg>, IDC_PORT_COMBO, kMixedMachine, {"COM2:", "COM1:"}},
        PortListCase{"ParallelLpt", Make<CParallaleConfigDlg>, IDC_PORT_COMBO, kMixedMachine, {"LPT1:"}},
        PortListCase{"VcomPrintersOwnOnly", Make<CUsbVCOM>, IDC_VCOM_COMBO, kMixedMachine, {"COM7:", "COM8:"}},
        PortListCase{"SerialNone", Make<CSerialConfigDlg>, IDC_PORT_COMBO, Json::array(), {}},
        PortListCase{"ParallelNone", Make<CParallaleConfigDlg>, IDC_PORT_COMBO, Json::array(), {}},
        PortListCase{"VcomNone", Make<CUsbVCOM>, IDC_VCOM_COMBO, Json::array({PortDevice("COM1", kBuiltIn)}), {}}),
    [](const ::testing::TestParamInfo<PortListCase>& test) { return std::string(test.param.name); });

// --- "Add a new port" ---------------------------------------------------------------------

struct AddPortCase {
  const char* name;
  int answer;
  std::function<void(platform::sim::FaultInjector&)> faults;
  std::size_t updates;
  bool copied;
};

class AddPortTest : public PortPageTest, public ::testing::WithParamInterface<AddPortCase> {};

TEST_P(AddPortTest, InstallsTheDriverAsAskedAndRefillsTheList) {
  const AddPortCase& c = GetParam();
  simtest::WriteFile("driver/usb/lindor_usbser.inf", "[Version]\r\n");
  simtest::WriteFile("driver/usb/x86/usbser.sys", "shipped usbser");
  // The default machine's own drivers folder, as Windows has it.
  const std::filesystem::path drivers = harness.machine->driveC() / "Windows" / "System32" / "drivers";
  SetDevices(Json::array());
  c.faults(harness.machine->faults());
  harness.user.OnMessageBox(c.answer);
  CUsbVCOM page(harness.context);
  Run(page, [&](DialogDriver& p) {
    SetDevices(Json::array({PortDevice("COM7", kVcom)}));  // the user plugs the printer in
    p.Click(IDC_ADD_VCOM_PORT);
    EXPECT_EQ(p.ComboItems(IDC_VCOM_COMBO), Strings{"COM7:"});
    EXPECT_EQ(p.Text(IDC_VCOM_COMBO), "COM7:");
  });
  EXPECT_EQ(Boxes(), (Shown{{"Usb VCOM", harness.kit.LoadText(IDS_CONNECT_PRINTER), ui::mb::OkCancel}}));
  EXPECT_EQ(Calls("UpdateDriverForPlugAndPlayDevicesA"), c.updates);
  EXPECT_EQ(simtest::ReadFile(drivers / "USBSER.sys"), c.copied ? "shipped usbser" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Answers, AddPortTest,
    ::testing::Values(
        AddPortCase{"OkInstalls", ui::idres::Ok, [](auto&) {}, 1, false},
        AddPortCase{"OkFailingCopiesUsbserAndRetries", ui::idres::Ok,
                    [](auto& f) { f.FailFrom("UpdateDriverForPlugAndPlayDevicesA", 1, winerr::AccessDenied); }, 2,
                    true},
        AddPortCase{"OkFailingWithoutSystemDirectoryRetriesOnly", ui::idres::Ok,
                    [](auto& f) {
                      f.FailOnce("UpdateDriverForPlugAndPlayDevicesA", winerr::AccessDenied);
                      f.FailOnce("GetSystemDirectoryA", winerr::AccessDenied);
                    },
                    2, false},
        AddPortCase{"CancelInstallsNothing", ui::idres::Cancel, [](auto&) {}, 0, false}),
    [](const ::testing::TestParamInfo<AddPortCase>& test) { return std::string(test.param.name); });

// --- "Detect" -----------------------------------------------------------------------------

struct DetectCase {
  const char* name;
  Json devices;
  std::vector<std::pair<std::string, platform::sim::SerialAttachment>> attached;
  bool pressAgainMeanwhile;
  std::string port, baud;  // the boxes' texts afterwards
  bool failedMessage;
  std::size_t opens;
};

class DetectTest : public PortPageTest, public ::testing::WithParamInterface<DetectCase> {};

TEST_P(DetectTest, ShowsWhatAnswersUnderTheWaitCursor) {
  const DetectCase& c = GetParam();
  SetDevices(c.devices);
  for (const auto& [port, attached] : c.attached) harness.machine->config().serial[port] = attached;
  CSerialConfigDlg page(harness.context);
  std::vector<bool> detectingMeanwhile;
  if (c.pressAgainMeanwhile)
    harness.user.OnPumpMessages([&](DialogDriver& d) {
      d.Page(IDD_SERIAL_PAGE).Click(IDC_DETECT);
      detectingMeanwhile.push_back(page.IsDetecting());
    });
  Run(page, [&](DialogDriver& p) {
    p.Click(IDC_DETECT);
    EXPECT_EQ(p.Text(IDC_PORT_COMBO), c.port);
    EXPECT_EQ(p.Text(IDC_BAUD_COMBO), c.baud);
    EXPECT_FALSE(page.IsDetecting());
  });
  const Shown failed{{"KvxInstaller", "Unable to detect printer! Make sure it is connected and ON.",
                      ui::mb::Ok | ui::mb::IconExclamation}};
  EXPECT_EQ(Boxes(), c.failedMessage ? failed : Shown{});
  EXPECT_EQ(detectingMeanwhile, c.pressAgainMeanwhile ? std::vector<bool>{true} : std::vector<bool>{});
  EXPECT_EQ(Calls("CreateFileA"), c.opens);
  EXPECT_EQ(harness.kit.WaitCursorShowings(), 1);
  EXPECT_EQ(harness.kit.WaitCursorDepth(), 0);
}

using simtest::Printer;
const Json kTwoPorts = Json::array({PortDevice("COM1", kBuiltIn), PortDevice("COM2", kBuiltIn)});

INSTANTIATE_TEST_SUITE_P(
    Machines, DetectTest,
    ::testing::Values(
        DetectCase{"FoundFillsPortAndBaud", kTwoPorts, {{"COM2", Printer(9600)}}, false, "COM2:", "9600", false, 6},
        DetectCase{"NotFoundSaysSoOnce", kTwoPorts, {}, false, "COM1:", "", true, 6},
        DetectCase{"NoBuiltInPortShowsNothing", Json::array({PortDevice("COM5", kOtherAdapter)}),
                   {{"COM5", Printer(9600)}}, false, "", "", false, 0},
        // The press during the first attempt's pump starts nothing: one detection, one answer.
        DetectCase{"SecondPressMeanwhileRefused", kTwoPorts, {{"COM1", Printer(38400)}}, true, "COM1:", "38400",
                   false, 2}),
    [](const ::testing::TestParamInfo<DetectCase>& test) { return std::string(test.param.name); });

}  // namespace

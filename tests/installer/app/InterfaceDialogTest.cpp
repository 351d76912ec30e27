// The interface dialog: which interfaces a model is offered, the page each shows, and what
// "Install printer" hands on or refuses.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/CInterfaceConfigDlg.h"
#include "comm/CEthernetConfigDlg.h"
#include "installer/InstallerTestSupport.h"
#include "platform/sim/SerialAttachments.h"
#include "resource.h"

namespace {

using installertest::AppHarness;
using installertest::CatalogFolder;
using installertest::PortDevice;
using ui::headless::DialogDriver;
using Strings = std::vector<std::string>;

// VT5200 has serial and USB; VT5000 serial only; K1 nothing; "RQ-7200" is listed only inside
// "RQ-7200 TH", which the catalog's substring test lets count.
const std::string kCatalog =
    "[Supported.Printers]\r\nRQ-7200 TH\r\nVT5000\r\nVT5200\r\n\r\n"
    "[Interface.Supported.Printers]\r\nSERIAL=RQ-7200 TH|VT5000|VT5200\r\nPARALLEL=RQ-7200 TH\r\n"
    "USB=RQ-7200 TH|VT5200\r\nETHERNET=RQ-7200 TH\r\n";

constexpr int kRadios[] = {IDC_IF_SERIAL, IDC_IF_PARALLEL, IDC_IF_USB, IDC_IF_ETHERNET};
constexpr int kPages[] = {IDD_SERIAL_PAGE, IDD_PARALLEL_PAGE, IDD_USB_VCOM_PAGE, IDD_ETHERNET_PAGE};

int VisiblePage(DialogDriver& d) {
  int shown = 0;
  for (int page : kPages) {
    if (!d.Page(page).IsShown()) continue;
    EXPECT_EQ(shown, 0) << "two pages shown";
    shown = page;
  }
  return shown;
}

class InterfaceDialogTest : public ::testing::Test {
protected:
  InterfaceDialogTest() {
    harness.machine->document()["devices"] = {PortDevice("COM1", "ACPI\\PNP0501"), PortDevice("LPT1", "ACPI\\PNP0400"),
                                              PortDevice("COM5", "USB\\VID_5C3D&PID_0003")};
  }
  intptr_t Run(const std::string& model, std::function<void(DialogDriver&)> script) {
    harness.user.OnDialog(IDD_INTERFACE_CONFIG, std::move(script));
    dialog = std::make_unique<CInterfaceConfigDlg>(harness.context, model);
    return dialog->DoModal();
  }

  CatalogFolder folder{kCatalog};
  AppHarness harness;
  std::unique_ptr<CInterfaceConfigDlg> dialog;
};

struct OfferCase {
  const char* model;
  Strings checked;  // radios checked at the start, as "serial" ...
  std::vector<bool> enabled;
  int page;  // shown at the start; 0 = none
  int usbPage;
  int boardKind;
};

void PrintTo(const OfferCase& c, std::ostream* os) { *os << c.model; }

class OfferTest : public InterfaceDialogTest, public testing::WithParamInterface<OfferCase> {};

TEST_P(OfferTest, OffersTheCatalogsInterfacesAndShowsOnePage) {
  const OfferCase& c = GetParam();
  Run(c.model, [&](DialogDriver& d) {
    const char* names[] = {"serial", "parallel", "usb", "ethernet"};
    Strings checked;
    std::vector<bool> enabled;
    for (int i = 0; i < 4; ++i) {
      if (d.IsChecked(kRadios[i])) checked.push_back(names[i]);
      enabled.push_back(d.IsEnabled(kRadios[i]));
    }
    EXPECT_EQ(checked, c.checked);
    EXPECT_EQ(enabled, c.enabled);
    EXPECT_EQ(VisiblePage(d), c.page);
    EXPECT_FALSE(d.HasControl(IDC_PAGE_FRAME));

    DialogDriver serial = d.Page(IDD_SERIAL_PAGE);
    EXPECT_EQ(serial.ComboItems(IDC_BAUD_COMBO), (Strings{"115200", "38400"}));
    EXPECT_EQ(serial.Text(IDC_BAUD_COMBO), "115200");
    EXPECT_EQ(serial.ComboItems(IDC_FLOW_COMBO), (Strings{"RTS/CTS", "DTR/DSR", "None"}));
    EXPECT_EQ(serial.ComboSelection(IDC_FLOW_COMBO), 0);
    EXPECT_EQ(serial.Text(IDC_PORT_COMBO), "COM1:");
    EXPECT_EQ(d.Page(IDD_PARALLEL_PAGE).Text(IDC_PORT_COMBO), "LPT1:");
    EXPECT_EQ(dynamic_cast<CEthernetConfigDlg&>(d.Page(IDD_ETHERNET_PAGE).dialog()).BoardKind(), c.boardKind);

    const int radioPages[] = {IDD_SERIAL_PAGE, IDD_PARALLEL_PAGE, c.usbPage, IDD_ETHERNET_PAGE};
    for (int i = 0; i < 4; ++i) {
      if (!c.enabled[i]) continue;
      d.Click(kRadios[i]);
      EXPECT_EQ(VisiblePage(d), radioPages[i]) << names[i];
    }
    d.Click(IDC_BACK);
  });
}

INSTANTIATE_TEST_SUITE_P(
    Models, OfferTest,
    testing::Values(OfferCase{"RQ-7200 TH", {"usb"}, {true, true, true, true}, IDD_USB_VCOM_PAGE, IDD_USB_VCOM_PAGE, 1},
                    OfferCase{"VT5200", {"usb"}, {true, false, true, false}, 0, 0, 0},
                    OfferCase{"VT5000", {"serial", "usb"}, {true, false, false, false}, IDD_SERIAL_PAGE, 0, 0},
                    OfferCase{"K1", {"serial", "usb"}, {false, false, false, false}, IDD_SERIAL_PAGE, 0, 0},
                    OfferCase{"RQ-7200", {"usb"}, {true, true, true, true}, 0, 0, 0}));

struct InstallCase {
  const char* name;
  const char* model;
  int radio;  // 0: as the dialog starts
  std::function<void(DialogDriver& d)> input;
  intptr_t result;
  std::string port, parameter;
  int flow, tcpPort;
  int focusPage, focus;  // where a refusal leaves the focus
};

void PrintTo(const InstallCase& c, std::ostream* os) { *os << c.name; }

class InstallTest : public InterfaceDialogTest, public testing::WithParamInterface<InstallCase> {};

TEST_P(InstallTest, HandsOnTheChoiceOrRefusesAnEmptyBox) {
  const InstallCase& c = GetParam();
  const intptr_t result = Run(c.model, [&](DialogDriver& d) {
    if (c.radio) d.Click(c.radio);
    if (c.input) c.input(d);
    d.Click(IDC_INSTALL_PRINTER);
    if (c.result != CInterfaceConfigDlg::kInstall) {
      EXPECT_TRUE(d.IsRunning());
      EXPECT_EQ(d.Page(c.focusPage).Focus(), c.focus);
    }
  });
  EXPECT_EQ(result, c.result);
  if (result != CInterfaceConfigDlg::kInstall) return;
  EXPECT_EQ(dialog->portChoice, c.port);
  EXPECT_EQ(dialog->portParameter, c.parameter);
  EXPECT_EQ(dialog->flowControlIndex, c.flow);
  EXPECT_EQ(dialog->tcpPort, c.tcpPort);
}

const int kCancel = ui::idres::Cancel, kInstall = CInterfaceConfigDlg::kInstall;
auto Typed(int page, int id, std::string text) {
  return [=](DialogDriver& d) { d.Page(page).Type(id, text); };
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, InstallTest,
    testing::Values(
        InstallCase{"SerialDefaults", "VT5000", 0, nullptr, kInstall, "COM1:", "115200", 0, 9100, 0, 0},
        InstallCase{"SerialTypedRateUnchecked", "RQ-7200 TH", IDC_IF_SERIAL,
                    [](DialogDriver& d) {
                      d.Page(IDD_SERIAL_PAGE).Type(IDC_BAUD_COMBO, "fast");
                      d.Page(IDD_SERIAL_PAGE).SelectCombo(IDC_FLOW_COMBO, 2);
                    },
                    kInstall, "COM1:", "fast", 2, 9100, 0, 0},
        InstallCase{"SerialNoPort", "VT5000", 0, Typed(IDD_SERIAL_PAGE, IDC_PORT_COMBO, ""), kCancel, "", "", 0, 0,
                    IDD_SERIAL_PAGE, IDC_PORT_COMBO},
        InstallCase{"SerialNoRate", "VT5000", 0, Typed(IDD_SERIAL_PAGE, IDC_BAUD_COMBO, ""), kCancel, "", "", 0, 0,
                    IDD_SERIAL_PAGE, IDC_BAUD_COMBO},
        InstallCase{"Parallel", "RQ-7200 TH", IDC_IF_PARALLEL, nullptr, kInstall, "LPT1:", "", 0, 9100, 0, 0},
        InstallCase{"ParallelNoPort", "RQ-7200 TH", IDC_IF_PARALLEL, Typed(IDD_PARALLEL_PAGE, IDC_PORT_COMBO, ""),
                    kCancel, "", "", 0, 0, IDD_PARALLEL_PAGE, IDC_PORT_COMBO},
        InstallCase{"VirtualCom", "RQ-7200 TH", 0, nullptr, kInstall, "COM5:", "", 1, 9100, 0, 0},
        InstallCase{"VirtualComNoPort", "RQ-7200 TH", 0, Typed(IDD_USB_VCOM_PAGE, IDC_VCOM_COMBO, ""), kCancel, "",
                    "", 0, 0, IDD_USB_VCOM_PAGE, IDC_VCOM_COMBO},
        InstallCase{"UsbOtherModel", "VT5200", 0, nullptr, kInstall, "USB", "", 0, 9100, 0, 0},
        InstallCase{"Ethernet", "RQ-7200 TH", IDC_IF_ETHERNET,
                    [](DialogDriver& d) {
                      d.Page(IDD_ETHERNET_PAGE).Type(IDC_IP_ADDRESS, "192.0.2.50");
                      dynamic_cast<CEthernetConfigDlg&>(d.Page(IDD_ETHERNET_PAGE).dialog()).tcpPort = 9101;
                    },
                    kInstall, "IP", "192.0.2.50", 0, 9101, 0, 0},
        InstallCase{"EthernetIncompleteAddress", "RQ-7200 TH", IDC_IF_ETHERNET,
                    Typed(IDD_ETHERNET_PAGE, IDC_IP_ADDRESS, "192.168"), kInstall, "IP", "192.168.0.0", 0, 9100, 0, 0},
        InstallCase{"EthernetBlankAddress", "RQ-7200 TH", IDC_IF_ETHERNET, nullptr, kCancel, "", "", 0, 0,
                    IDD_ETHERNET_PAGE, IDC_IP_ADDRESS}),
    [](const testing::TestParamInfo<InstallCase>& param) { return std::string(param.param.name); });

TEST_F(InterfaceDialogTest, InputDuringDetectionNeitherEndsTheDialogNorSwapsThePage) {
  // COM1 is silent: the probe lets input through after each of its three attempts.
  harness.user.OnPumpMessages([](DialogDriver& d) { d.Click(IDC_INSTALL_PRINTER); });
  harness.user.OnPumpMessages([](DialogDriver& d) { d.Click(IDC_IF_PARALLEL); });
  harness.user.OnPumpMessages([](DialogDriver& d) { d.Close(); });
  const intptr_t result = Run("RQ-7200 TH", [&](DialogDriver& d) {
    d.Click(IDC_IF_SERIAL);
    d.Page(IDD_SERIAL_PAGE).Click(IDC_DETECT);
    EXPECT_EQ(harness.user.PendingMessageBoxAnswers(), 0u);
    EXPECT_TRUE(d.IsRunning());
    EXPECT_EQ(VisiblePage(d), IDD_SERIAL_PAGE);
    EXPECT_TRUE(d.IsChecked(IDC_IF_SERIAL));
    EXPECT_FALSE(d.IsChecked(IDC_IF_PARALLEL));
    d.Click(IDC_INSTALL_PRINTER);
  });
  EXPECT_EQ(result, CInterfaceConfigDlg::kInstall);
  EXPECT_TRUE(harness.Saw("choice interface \"serial\""));
}

}  // namespace

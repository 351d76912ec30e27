// "Ethernet Printers" and the ethernet page's "Setup..." on the simulated machine's network.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "comm/BoardInfo.h"
#include "comm/CEthernetConfigDlg.h"
#include "comm/CSetEthernetPrinters.h"
#include "installer/InstallerTestSupport.h"
#include "resource.h"

namespace {

using installertest::AppHarness;
using ui::headless::DialogDriver;
using Json = nlohmann::ordered_json;
using Strings = std::vector<std::string>;

Json Adapter(const std::string& name, const std::string& mac, const std::string& ip, const std::string& gateway) {
  return {{"name", name}, {"description", "Simulated Ethernet Adapter"}, {"mac", mac}, {"ip", ip},
          {"mask", "255.255.255.0"}, {"gateway", gateway}};
}

// Boards answer a search at the same moment, so their replies wait together.
Json Board(const char* kind, const std::string& mac, const std::string& ip, int port = 9100, bool dhcp = false) {
  return {{"kind", kind}, {"mac", mac},   {"ip", ip},           {"mask", "255.255.0.0"},
          {"gateway", "10.1.0.1"}, {"port", port}, {"dhcp", dhcp}, {"adapter", "Ethernet"}};
}

class EthernetPrintersTest : public ::testing::Test {
protected:
  void SetNetwork(const std::string& computerIp, Json boards) {
    auto& doc = harness.machine->document();
    doc["networkAdapters"] = Json::array({Adapter("Ethernet", "02-00-4B-56-58-01", computerIp, "192.168.1.254")});
    doc["boards"] = std::move(boards);
  }
  // Runs the dialog; `script` acts on it, then the dialog is left as the script left it.
  intptr_t Run(CSetEthernetPrinters& dialog, const std::function<void(DialogDriver&)>& script) {
    harness.user.OnDialog(IDD_ETHERNET_PRINTERS, script);
    return dialog.DoModal();
  }
  std::size_t Searches() const { return harness.machine->faults().CallCount("sendto"); }

  AppHarness harness;
};

// --- "Search" and the address suggestion ------------------------------------------------

struct SearchCase {
  const char* name;
  std::int32_t kind;
  std::string computerIp;
  Json boards;
  std::vector<Strings> rows;
  Strings fields;  // IP, mask, gateway, port
  int focusedField;
};

class SearchTest : public EthernetPrintersTest, public ::testing::WithParamInterface<SearchCase> {};

TEST_P(SearchTest, ListsBoardsAndFillsTheFieldsFromTheFirst) {
  const SearchCase& c = GetParam();
  SetNetwork(c.computerIp, c.boards);
  CSetEthernetPrinters dialog(harness.context, c.kind);
  Run(dialog, [&](DialogDriver& d) {
    d.Type(IDC_BOARD_IP, "1.2.3.4");
    d.Click(IDC_BOARD_SEARCH);
    EXPECT_EQ(d.ListColumns(IDC_BOARD_LIST), (Strings{"MAC", "Ip address"}));
    EXPECT_EQ(d.ListRows(IDC_BOARD_LIST), c.rows);
    // The first row gets the selection mark without being selected.
    EXPECT_EQ(d.SelectionMark(IDC_BOARD_LIST), c.rows.empty() ? -1 : 0);
    EXPECT_EQ(d.SelectedRows(IDC_BOARD_LIST), std::vector<int>{});
    EXPECT_EQ((Strings{d.Text(IDC_BOARD_IP), d.Text(IDC_BOARD_MASK), d.Text(IDC_BOARD_GATEWAY),
                       d.Text(IDC_BOARD_PORT)}),
              c.fields);
    EXPECT_EQ(d.FocusedIpField(), c.focusedField);
  });
  EXPECT_EQ(harness.kit.WaitCursorDepth(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Boards, SearchTest,
    ::testing::Values(
        SearchCase{"TwoBoardsFirstChosen", boardkind::Lindor, "192.168.1.7",
                   Json::array({Board("lindor", "02-00-4B-56-58-30", "192.168.1.50", 9100),
                                Board("lindor", "02-00-4B-56-58-31", "192.168.1.51", 4000)}),
                   {{"02:00:4B:56:58:30", "192.168.1.50"}, {"02:00:4B:56:58:31", "192.168.1.51"}},
                   {"192.168.1.50", "255.255.0.0", "10.1.0.1", "9100"}, -1},
        // Only the first six characters are compared: 192.168.0.x passes for 192.168.1.x.
        SearchCase{"SameSixCharactersKept", boardkind::Ostrel, "192.168.1.10",
                   Json::array({Board("ostrel", "02-00-4B-56-58-40", "192.168.0.50")}),
                   {{"02:00:4B:56:58:40", "192.168.0.50"}}, {"192.168.0.50", "255.255.0.0", "10.1.0.1", "9100"}, -1},
        SearchCase{"OtherNetworkSuggestsTheComputers", boardkind::Ostrel, "192.168.1.7",
                   Json::array({Board("ostrel", "02-00-4B-56-58-41", "10.0.0.5", 515)}),
                   {{"02:00:4B:56:58:41", "10.0.0.5"}}, {"192.168.1.0", "255.255.255.0", "192.168.1.254", "515"}, 3},
        SearchCase{"NothingFoundKeepsTheFields", boardkind::Lindor, "192.168.1.7", Json::array(), {},
                   {"1.2.3.4", "0.0.0.0", "0.0.0.0", "9100"}, -1}),
    [](const ::testing::TestParamInfo<SearchCase>& test) { return std::string(test.param.name); });

// --- The list click ---------------------------------------------------------------------

TEST_F(EthernetPrintersTest, ClickShowsTheMarkedRowsBoardOrEmptiesTheFields) {
  SetNetwork("192.168.1.7", Json::array({Board("lindor", "02-00-4B-56-58-30", "192.168.1.50"),
                                         Board("lindor", "02-00-4B-56-58-31", "192.168.1.51", 4000, true)}));
  CSetEthernetPrinters dialog(harness.context, boardkind::Lindor);
  Run(dialog, [&](DialogDriver& d) {
    const auto fields = [&] { return Strings{d.Text(IDC_BOARD_IP), d.Text(IDC_BOARD_MASK), d.Text(IDC_BOARD_PORT)}; };
    d.Type(IDC_BOARD_IP, "1.2.3.4");
    d.ClickListEmpty(IDC_BOARD_LIST);
    EXPECT_EQ(fields(), (Strings{"0.0.0.0", "0.0.0.0", "9100"}));
    d.Click(IDC_BOARD_SEARCH);
    d.ClickListRow(IDC_BOARD_LIST, 1);
    EXPECT_EQ(fields(), (Strings{"192.168.1.51", "255.255.0.0", "4000"}));
    EXPECT_TRUE(d.IsChecked(IDC_USE_DHCP));
    d.ClickListRow(IDC_BOARD_LIST, 0);
    EXPECT_FALSE(d.IsChecked(IDC_USE_DHCP));
    // Beside the rows: nothing stays selected, but the mark does.
    d.ClickListEmpty(IDC_BOARD_LIST);
    EXPECT_EQ(fields(), (Strings{"192.168.1.50", "255.255.0.0", "9100"}));
  });
}

// --- "Update" ---------------------------------------------------------------------------

TEST_F(EthernetPrintersTest, UpdateChangesTheBoardAndSearchesAgain) {
  SetNetwork("192.168.1.7", Json::array({Board("lindor", "02-00-4B-56-58-30", "192.168.1.50")}));
  CSetEthernetPrinters dialog(harness.context, boardkind::Lindor);
  Run(dialog, [&](DialogDriver& d) {
    d.Click(IDC_BOARD_SEARCH);
    d.Type(IDC_BOARD_IP, "192.168.1.77");
    d.Type(IDC_BOARD_PORT, "9101");
    d.Click(IDC_USE_DHCP);
    d.Click(IDC_BOARD_UPDATE);
    EXPECT_EQ(d.ListRows(IDC_BOARD_LIST), (std::vector<Strings>{{"02:00:4B:56:58:30", "192.168.1.77"}}));
    EXPECT_EQ(d.Text(IDC_BOARD_PORT), "9101");
    ASSERT_NE(dialog.boards(), nullptr);
    EXPECT_TRUE(dialog.boards()->front()->DhcpEnabled());
  });
}

TEST_F(EthernetPrintersTest, UpdateRefusesAFirstOctetOfZero) {
  SetNetwork("192.168.1.7", Json::array({Board("ostrel", "02-00-4B-56-58-40", "192.168.1.50")}));
  CSetEthernetPrinters dialog(harness.context, boardkind::Ostrel);
  Run(dialog, [&](DialogDriver& d) {
    EXPECT_FALSE(d.IsEnabled(IDC_USE_DHCP));
    d.Click(IDC_BOARD_SEARCH);
    const std::size_t sent = Searches();
    d.Type(IDC_BOARD_IP, "0.168.1.77");
    d.Click(IDC_BOARD_UPDATE);
    EXPECT_EQ(Searches(), sent);
    EXPECT_EQ(d.Focus(), IDC_BOARD_IP);
    EXPECT_EQ(d.FocusedIpField(), 0);
  });
}

// --- Input while a search runs ----------------------------------------------------------

TEST_F(EthernetPrintersTest, InputDuringASearchStartsNothing) {
  SetNetwork("192.168.1.7", Json::array({Board("lindor", "02-00-4B-56-58-30", "192.168.1.50")}));
  CSetEthernetPrinters dialog(harness.context, boardkind::Lindor);
  const std::vector<std::function<void(DialogDriver&)>> meanwhile = {
      [](DialogDriver& d) { d.Click(IDC_BOARD_SEARCH); }, [](DialogDriver& d) { d.Click(IDC_BOARD_UPDATE); },
      [](DialogDriver& d) { d.ClickListEmpty(IDC_BOARD_LIST); }, [](DialogDriver& d) { d.Click(ui::idres::Ok); },
      [](DialogDriver& d) { d.Click(ui::idres::Cancel); }, [](DialogDriver& d) { d.Close(); }};
  for (const auto& action : meanwhile) harness.user.OnPumpMessages(action);
  Run(dialog, [&](DialogDriver& d) {
    d.Click(IDC_BOARD_SEARCH);
    EXPECT_EQ(Searches(), 1u);
    EXPECT_TRUE(d.IsRunning());
    EXPECT_EQ(d.ListRows(IDC_BOARD_LIST).size(), 1u);
    EXPECT_FALSE(dialog.busy());
  });
  EXPECT_EQ(harness.user.PendingPumpActions(), 0u);
}

// --- The port's data exchange, OK and the page ------------------------------------------

struct PortCase {
  const char* typed;
  const char* message;  // "" when OK closes the dialog
  std::uint32_t port;
};

class PortExchangeTest : public EthernetPrintersTest, public ::testing::WithParamInterface<PortCase> {};

TEST_P(PortExchangeTest, OkTakesAPortFromZeroTo65535) {
  const PortCase& c = GetParam();
  CSetEthernetPrinters dialog(harness.context, boardkind::Lindor);
  const intptr_t result = Run(dialog, [&](DialogDriver& d) {
    d.Type(IDC_BOARD_IP, "192.0.2.9");
    d.Type(IDC_BOARD_PORT, c.typed);
    d.Click(ui::idres::Ok);
    EXPECT_EQ(d.IsRunning(), *c.message != '\0');
    if (d.IsRunning()) {
      EXPECT_EQ(d.Focus(), IDC_BOARD_PORT);
    }
  });
  const auto& boxes = harness.kit.MessageBoxes();
  if (*c.message) {
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.message);
    EXPECT_EQ(result, ui::idres::Cancel);
  } else {
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(result, ui::idres::Ok);
    EXPECT_EQ(dialog.chosenIp, "192.0.2.9");
  }
  EXPECT_EQ(dialog.tcpPort, c.port);
}

INSTANTIATE_TEST_SUITE_P(Texts, PortExchangeTest,
                         ::testing::Values(PortCase{"9100", "", 9100}, PortCase{" 515\t", "", 515},
                                           PortCase{"0", "", 0}, PortCase{"65535", "", 65535},
                                           PortCase{"", "Please enter a positive integer.", 9100},
                                           PortCase{"-1", "Please enter a positive integer.", 9100},
                                           PortCase{"91 00", "Please enter a positive integer.", 9100},
                                           PortCase{"4294967296", "Please enter a positive integer.", 9100},
                                           PortCase{"65536", "Please enter an integer between 0 and 65535.", 9100}));

TEST_F(EthernetPrintersTest, SetupHandsTheAddressAndPortToThePageOnOkOnly) {
  for (const int answer : {ui::idres::Cancel, ui::idres::Ok}) {
    CEthernetConfigDlg page(harness.context, boardkind::Ostrel);
    harness.user.OnDialog(IDD_INTERFACE_CONFIG, [&](DialogDriver& host) {
      DialogDriver p = host.Page(IDD_ETHERNET_PAGE);
      p.Type(IDC_IP_ADDRESS, "192.0.2.5");
      harness.user.OnDialog(IDD_ETHERNET_PRINTERS, [&](DialogDriver& d) {
        EXPECT_EQ(d.Text(IDC_BOARD_PORT), "9100");
        d.Type(IDC_BOARD_IP, "192.0.2.60");
        d.Type(IDC_BOARD_PORT, "4001");
        d.Click(answer);
      });
      p.Click(IDC_ETHERNET_SETUP);
      EXPECT_EQ(p.Text(IDC_IP_ADDRESS), answer == ui::idres::Ok ? "192.0.2.60" : "192.0.2.5");
      EXPECT_EQ(page.tcpPort, answer == ui::idres::Ok ? 4001 : 9100);
    });
    installertest::PageHost host(harness.context, page);
    host.DoModal();
  }
}

}  // namespace

#include <gtest/gtest.h>

#include "app/CInterfaceConfigDlg.h"
#include "app/CPrinterModelDlg.h"
#include "installer/InstallerTestSupport.h"
#include "resource.h"

namespace {

using installertest::AppHarness;
using installertest::CatalogFolder;
using ui::headless::DialogDriver;

const std::string kMixedCatalog =
    "[Supported.Printers]\r\nVT5000\r\nXVT1\r\nARQ2\r\nKiosk K1\r\nOstrel=RQ-7200 TH\r\n";

class ModelDialogTest : public ::testing::Test {
protected:
  // Runs the model dialog with `script` as the user; returns its end code.
  intptr_t Run(std::function<void(DialogDriver&)> script) {
    harness.user.OnDialog(IDD_PRINTER_MODEL, std::move(script));
    return dialog.DoModal();
  }
  std::vector<std::string> RowTexts(DialogDriver& d) {
    std::vector<std::string> texts;
    for (const auto& row : d.ListRows(IDC_MODEL_LIST)) texts.push_back(row.at(0));
    return texts;
  }

  CatalogFolder folder{kMixedCatalog};
  AppHarness harness;
  CPrinterModelDlg dialog{harness.context};
};

TEST_F(ModelDialogTest, StartsWithFamilyModelsFirstRowAndDefaults) {
  Run([&](DialogDriver& d) {
    EXPECT_EQ(RowTexts(d), (std::vector<std::string>{"    VT5000   ", "    XVT1   ", "    ARQ2   ", "    RQ-7200 TH   "}));
    EXPECT_EQ(d.ListColumns(IDC_MODEL_LIST), std::vector<std::string>{"Select printer to install"});
    EXPECT_EQ(d.SelectedRows(IDC_MODEL_LIST), std::vector<int>{0});
    EXPECT_EQ(d.EnsuredVisibleRow(IDC_MODEL_LIST), 0);
    ASSERT_TRUE(d.Font(IDC_MODEL_LIST).has_value());
    EXPECT_EQ(d.Font(IDC_MODEL_LIST)->height, 32);
    EXPECT_EQ(d.Font(IDC_MODEL_LIST)->pitchAndFamily, 0x10);
    EXPECT_TRUE(d.IsEnabled(IDC_CONTINUE));
    EXPECT_TRUE(d.IsChecked(IDC_DRIVER_REGULAR));
    EXPECT_FALSE(d.IsChecked(IDC_DRIVER_REDUCED));
    EXPECT_TRUE(d.IsChecked(IDC_WIDTH_80));
    EXPECT_FALSE(d.IsChecked(IDC_WIDTH_48));
    for (int id : {IDC_DRIVER_GROUP, IDC_DRIVER_REGULAR, IDC_DRIVER_REDUCED, IDC_WIDTH_GROUP, IDC_WIDTH_80,
                   IDC_WIDTH_48})
      EXPECT_FALSE(d.IsVisible(id)) << id;
    EXPECT_TRUE(d.IsEnabled(IDC_DRIVER_REDUCED));  // the default machine is kind 8
    EXPECT_EQ(d.Text(IDC_ADVANCED), "Advanced >>");
    d.Click(2);
  });
  EXPECT_EQ(harness.transcript.lines.front(), "dialog 148 \"Korvex Driver Install\"");
  EXPECT_EQ(dialog.selection.osKind, kOsVistaOrLater);
}

TEST_F(ModelDialogTest, ClickRulesFollowTheFamilyCodes) {
  const intptr_t result = Run([&](DialogDriver& d) {
    d.ClickListRow(IDC_MODEL_LIST, 1);  // "XVT1": VT only after the first character
    EXPECT_FALSE(d.IsEnabled(IDC_CONTINUE));
    EXPECT_TRUE(d.SelectedRows(IDC_MODEL_LIST).empty());
    d.ClickListRow(IDC_MODEL_LIST, 2);  // "ARQ2": RQ anywhere
    EXPECT_TRUE(d.IsEnabled(IDC_CONTINUE));
    EXPECT_EQ(d.SelectedRows(IDC_MODEL_LIST), std::vector<int>{2});
    d.ClickListEmpty(IDC_MODEL_LIST);
    EXPECT_FALSE(d.IsEnabled(IDC_CONTINUE));
    d.ClickListRow(IDC_MODEL_LIST, 0);  // "VT5000"
    EXPECT_TRUE(d.IsEnabled(IDC_CONTINUE));
    std::string name;
    EXPECT_TRUE(dialog.SelectedModelName(name));
    EXPECT_EQ(name, "VT5000");
    d.Click(2);
  });
  EXPECT_EQ(result, ui::idres::Cancel);
}

TEST_F(ModelDialogTest, ContinueWithoutSelectionDoesNothing) {
  folder.Write("[Supported.Printers]\r\n");
  Run([&](DialogDriver& d) {
    EXPECT_TRUE(d.ListRows(IDC_MODEL_LIST).empty());
    EXPECT_TRUE(d.IsEnabled(IDC_CONTINUE));
    d.Click(IDC_CONTINUE);
    EXPECT_TRUE(d.IsRunning());
    d.Click(2);
  });
  EXPECT_FALSE(harness.Saw("dialog 149 \"Printer installation port\""));
}

TEST_F(ModelDialogTest, WidthIsPresetFromTheCatalogEntryOfTheWholeName) {
  folder.Write("[Supported.Printers]\r\nVT5000\r\nLindor=RQ-7200 TH\r\nVT500\r\n");
  Run([&](DialogDriver& d) {
    d.Click(IDC_ADVANCED);
    d.Click(IDC_WIDTH_48);
    d.ClickListRow(IDC_MODEL_LIST, 1);  // RQ-7200 TH, flags 3: back to 80
    EXPECT_TRUE(d.IsChecked(IDC_WIDTH_80));
    EXPECT_FALSE(d.IsChecked(IDC_WIDTH_48));
    EXPECT_TRUE(d.IsEnabled(IDC_WIDTH_48));
    EXPECT_TRUE(d.IsEnabled(IDC_WIDTH_80));
    d.Click(2);
  });
  const std::vector<std::string> decorated{"VT5000 $0000", "VT500 $0001", "RQ-7200 TH $0001", "RQ-9 $0003",
                                          "RQ$1 $0002",   "RQ-8"};
  EXPECT_EQ(CPrinterModelDlg::WidthMaskFor(decorated, "VT500"), 1ul);  // not "VT5000", which comes first
  EXPECT_EQ(CPrinterModelDlg::WidthMaskFor(decorated, "RQ-7200 TH"), 1ul);
  EXPECT_EQ(CPrinterModelDlg::WidthMaskFor(decorated, "RQ-7200"), std::nullopt);
  EXPECT_EQ(CPrinterModelDlg::WidthMaskFor(decorated, "RQ$1"), 2ul);  // the flags are after the last "$"
  EXPECT_EQ(CPrinterModelDlg::WidthMaskFor(decorated, "RQ-9"), 3ul);
  EXPECT_EQ(CPrinterModelDlg::WidthMaskFor(decorated, "RQ-8"), std::nullopt);
  EXPECT_EQ(CPrinterModelDlg::WidthMaskFor(decorated, "Missing"), std::nullopt);
}

TEST_F(ModelDialogTest, MaskOnePresets48AndMaskZeroLeaves80) {
  Run([&](DialogDriver& d) {
    dialog.PresetWidthFromCatalog("RQ-7200 TH");  // flags 3
    EXPECT_TRUE(d.IsChecked(IDC_WIDTH_80));
    dialog.PresetWidthFromCatalog("VT5000");  // flags 0
    EXPECT_TRUE(d.IsChecked(IDC_WIDTH_80));
    dialog.PresetWidthFromCatalog("not in the catalog");
    EXPECT_TRUE(d.IsChecked(IDC_WIDTH_80));
    EXPECT_FALSE(d.IsChecked(IDC_WIDTH_48));
    d.Click(2);
  });
}

TEST_F(ModelDialogTest, AdvancedButtonTogglesTheOptionsAndItsCaption) {
  Run([&](DialogDriver& d) {
    d.Click(IDC_ADVANCED);
    EXPECT_EQ(d.Text(IDC_ADVANCED), "Advanced <<");
    for (int id : {IDC_DRIVER_GROUP, IDC_DRIVER_REGULAR, IDC_DRIVER_REDUCED, IDC_WIDTH_GROUP, IDC_WIDTH_80,
                   IDC_WIDTH_48})
      EXPECT_TRUE(d.IsVisible(id)) << id;
    d.Click(IDC_ADVANCED);
    EXPECT_EQ(d.Text(IDC_ADVANCED), "Advanced >>");
    EXPECT_FALSE(d.IsVisible(IDC_WIDTH_48));
    d.Click(2);
  });
}

TEST_F(ModelDialogTest, Windows98DisablesReducedScaleEvenWhenShown) {
  harness.machine->config().os = {platform::osplatform::Windows, 4, 10, 2222, "A", 0};
  Run([&](DialogDriver& d) {
    d.Click(IDC_ADVANCED);
    EXPECT_TRUE(d.IsVisible(IDC_DRIVER_REDUCED));
    EXPECT_FALSE(d.IsEnabled(IDC_DRIVER_REDUCED));
    EXPECT_THROW(d.Click(IDC_DRIVER_REDUCED), std::logic_error);
    d.Click(2);
  });
  EXPECT_EQ(dialog.selection.osKind, kOsWin98);
}

TEST_F(ModelDialogTest, ContinueRunsTheInterfaceDialogAndFollowsItsResult) {
  int backs = 0;
  harness.user.OnDialog(IDD_INTERFACE_CONFIG, [&](DialogDriver& d) {
    ++backs;
    d.Click(IDC_BACK);
  });
  const intptr_t result = Run([&](DialogDriver& d) {
    d.ClickListRow(IDC_MODEL_LIST, 2);
    d.Click(IDC_ADVANCED);
    d.Click(IDC_DRIVER_REDUCED);
    d.Click(IDC_WIDTH_48);
    d.Click(IDC_CONTINUE);
    // Back: the model dialog is there again with its choices.
    EXPECT_TRUE(d.IsRunning());
    EXPECT_TRUE(d.IsShown());
    EXPECT_EQ(d.SelectedRows(IDC_MODEL_LIST), std::vector<int>{2});
    EXPECT_TRUE(d.IsChecked(IDC_DRIVER_REDUCED));
    EXPECT_TRUE(d.IsChecked(IDC_WIDTH_48));
    d.Click(IDC_CONTINUE);  // this time the interface dialog gets no answer: it is cancelled
    EXPECT_FALSE(d.IsRunning());
  });
  EXPECT_EQ(backs, 1);
  EXPECT_EQ(result, ui::idres::Cancel);
  EXPECT_TRUE(harness.Saw("choice model \"ARQ2\""));
  EXPECT_TRUE(harness.Saw("choice driver \"reduced\""));
  EXPECT_TRUE(harness.Saw("choice width \"48\""));
}

TEST_F(ModelDialogTest, InstallHandsThePortChoiceToTheRun) {
  // Kiosk printers on ethernet: each value of the interface dialog reaches the run.
  folder.Write(installertest::kExampleCatalog);
  harness.user.OnDialog(IDD_INTERFACE_CONFIG, [&](DialogDriver& d) {
    d.Click(IDC_IF_ETHERNET);
    d.Page(IDD_ETHERNET_PAGE).Type(IDC_IP_ADDRESS, "192.0.2.9");
    d.Click(IDC_INSTALL_PRINTER);
  });
  const intptr_t result = Run([&](DialogDriver& d) { d.Click(IDC_CONTINUE); });
  EXPECT_EQ(result, ui::idres::Ok);
  EXPECT_EQ(dialog.selection.tcpPort, 9100);
  EXPECT_NE(dialog.runOutcome, RunOutcome::NotRun);
  EXPECT_TRUE(harness.Saw("dialog 153 \"Installation status\""));
}

TEST_F(ModelDialogTest, HiddenModeStartsWithTheInterfaceDialog) {
  dialog.selection.hidden = true;
  harness.user.OnDialog(IDD_INTERFACE_CONFIG, [&](DialogDriver& d) { d.Click(IDC_BACK); });
  harness.user.OnDialog(IDD_INTERFACE_CONFIG, [&](DialogDriver& d) { d.Click(2); });
  const intptr_t result = Run([&](DialogDriver& d) {
    EXPECT_TRUE(d.IsShown());
    d.Click(IDC_CONTINUE);
  });
  EXPECT_EQ(result, ui::idres::Cancel);
  const auto& lines = harness.transcript.lines;
  const auto first149 = std::find(lines.begin(), lines.end(), "dialog 149 \"Printer installation port\"");
  const auto first148 = std::find(lines.begin(), lines.end(), "dialog 148 \"Korvex Driver Install\"");
  ASSERT_NE(first149, lines.end());
  ASSERT_NE(first148, lines.end());
  EXPECT_LT(first149, first148);  // the model dialog appears only after "Back"
  EXPECT_TRUE(harness.Saw("choice model \"VT5000\""));
  EXPECT_TRUE(harness.Saw("choice width \"80\""));
}

TEST_F(ModelDialogTest, AboutBoxFromTheHelpMenu) {
  bool sawAbout = false;
  harness.user.OnDialog(IDD_ABOUTBOX, [&](DialogDriver& d) {
    sawAbout = true;
    EXPECT_EQ(d.Caption(), "About TolvInstaller...");
    d.Click(ui::idres::Ok);
    EXPECT_FALSE(d.IsRunning());
  });
  Run([&](DialogDriver& d) {
    d.Menu(ID_APP_ABOUT);
    EXPECT_TRUE(d.IsRunning());
    d.Click(2);
  });
  EXPECT_TRUE(sawAbout);
}

}  // namespace

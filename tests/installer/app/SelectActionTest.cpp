#include <gtest/gtest.h>

#include "app/CSelectAction.h"
#include "installer/InstallerTestSupport.h"
#include "resource.h"

namespace {

using installertest::AppHarness;
using ui::headless::DialogDriver;

TEST(SelectAction, AsksWithBothPortsTakenAsText) {
  AppHarness harness;
  CSelectAction question(harness.context);
  question.newPort = "Kvx_COM1:";
  question.existingPort = "Kvx_%s%n:";
  harness.user.OnDialog(IDD_SELECT_ACTION, [](DialogDriver& d) {
    EXPECT_EQ(d.Caption(), "Korvex Printers");
    EXPECT_EQ(d.Text(IDC_SELECT_ACTION_TEXT),
              "This printer is already installed using a different port (Kvx_%s%n:) \n\nWould you like to proceed "
              "changing the port setting to 'Kvx_COM1:' or add a new printer to this port?\n");
    EXPECT_EQ(d.Text(CSelectAction::kNewPrinter), "New printer");
    EXPECT_EQ(d.Text(CSelectAction::kChangePort), "Change port");
    d.Click(ui::idres::Cancel);
  });
  EXPECT_EQ(question.DoModal(), ui::idres::Cancel);
}

TEST(SelectAction, FormatsOnlyTwoTextPlaceholders) {
  EXPECT_EQ(CSelectAction::FormatQuestion("(%s) '%s' %s", "", "b"), "() 'b' %s");
  EXPECT_EQ(CSelectAction::FormatQuestion("100%% %d %s", "a", "b"), "100% %d a");
}

TEST(SelectAction, EachButtonIsItsResult) {
  struct Row {
    const char* name;
    std::function<void(DialogDriver&)> act;
    intptr_t result;
  };
  const Row rows[] = {
      {"NewPrinter", [](DialogDriver& d) { d.Click(IDC_NEW_PRINTER); }, CSelectAction::kNewPrinter},
      {"ChangePort", [](DialogDriver& d) { d.Click(IDC_CHANGE_PORT); }, CSelectAction::kChangePort},
      {"Cancel", [](DialogDriver& d) { d.Click(ui::idres::Cancel); }, ui::idres::Cancel},
      {"CloseBox", [](DialogDriver& d) { d.Close(); }, ui::idres::Cancel},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    AppHarness harness(platform::lang::PortugueseBrazil);
    CSelectAction question(harness.context);
    harness.user.OnDialog(IDD_SELECT_ACTION, row.act);
    EXPECT_EQ(question.DoModal(), row.result);
  }
}

}  // namespace

#include "ui/headless/DialogDriver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ui/headless/TestDialogs.h"

namespace ui::headless::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class HeadlessDriverTest : public ::testing::Test, public HeadlessFixture {
protected:
  // Runs the main test dialog with the given initialisation and user script.
  void Run(std::function<void(TestDialog&)> init, DialogScript script) {
    dialog.onInit = std::move(init);
    user.OnDialog(kMain, std::move(script));
    dialog.DoModal();
  }

  TestDialog dialog{kit, kMain};
};

TEST_F(HeadlessDriverTest, ControlsStartAsTheirTemplateSays) {
  Run(
      [](TestDialog& d) {
        EXPECT_EQ(d.GetButton(1001).GetText(), "A");
        EXPECT_EQ(d.GetButton(1001).Width(), 75);  // 50 dialog units
        EXPECT_FALSE(d.GetButton(1060).IsEnabled());
        // The control's own style bit, as the Windows backend reads it, even before the dialog shows.
        EXPECT_TRUE(d.GetButton(1001).IsVisible());
        EXPECT_FALSE(d.GetButton(1004).IsVisible());
      },
      [&](DialogDriver& u) {
        dialog.GetButton(1004).Show();
        EXPECT_TRUE(u.IsVisible(1004));
        dialog.GetButton(1001).Show(false);
        EXPECT_FALSE(u.IsVisible(1001));
        EXPECT_THROW(u.Click(1001), std::logic_error);
        EXPECT_FALSE(u.IsEnabled(1060));
        EXPECT_FALSE(u.IsChecked(1001));
        EXPECT_EQ(u.Text(1050), "");
      });
}

TEST_F(HeadlessDriverTest, AutoRadioClickUnchecksOnlyItsOwnGroup) {
  Run(
      [](TestDialog& d) {
        d.GetButton(1001).SetCheck(bst::Checked);
        d.GetButton(1004).SetCheck(bst::Checked);  // hidden member of the group
        d.GetButton(1011).SetCheck(bst::Checked);  // the next group (after a static with WS_GROUP)
        // Programmatic checks leave the other buttons alone.
        d.GetButton(1002).SetCheck(bst::Checked);
        EXPECT_TRUE(d.GetButton(1001).IsChecked());
        d.GetButton(1002).SetCheck(bst::Unchecked);
      },
      [&](DialogDriver& u) {
        dialog.onCommand = [](TestDialog& d, int id, int) {
          if (id == 1003) {
            EXPECT_TRUE(d.GetButton(1003).IsChecked());  // state changes before BN_CLICKED
          }
        };
        u.Click(1003);
        EXPECT_FALSE(u.IsChecked(1001));
        EXPECT_FALSE(u.IsChecked(1002));
        EXPECT_TRUE(u.IsChecked(1003));
        EXPECT_TRUE(u.IsChecked(1004));  // hidden buttons are passed over, as GetNextDlgGroupItem does
        EXPECT_TRUE(u.IsChecked(1011));
        u.Click(1012);
        EXPECT_FALSE(u.IsChecked(1011));
        EXPECT_TRUE(u.IsChecked(1003));
      });
  EXPECT_THAT(dialog.log, ElementsAre("command 1003 0", "command 1012 0", "command 2 0"));
}

TEST_F(HeadlessDriverTest, CheckBoxClicksCycleTheirStates) {
  Run(nullptr, [](DialogDriver& u) {
    u.Click(1020);
    EXPECT_EQ(u.Check(1020), bst::Checked);
    u.Click(1020);
    EXPECT_EQ(u.Check(1020), bst::Unchecked);
    std::vector<int> states;
    for (int i = 0; i < 3; ++i) {
      u.Click(1021);
      states.push_back(u.Check(1021));
    }
    EXPECT_THAT(states, ElementsAre(1, 2, 0));
  });
}

TEST_F(HeadlessDriverTest, UserCannotActOnDisabledHiddenOrUnsuitableControls) {
  Run(nullptr, [&](DialogDriver& u) {
    EXPECT_THROW(u.Click(1060), std::logic_error);  // disabled
    EXPECT_THROW(u.Click(1004), std::logic_error);  // hidden
    EXPECT_THROW(u.Click(1053), std::logic_error);  // group box
    EXPECT_THROW(u.Click(1052), std::logic_error);  // static without SS_NOTIFY
    EXPECT_THROW(u.Click(1030), std::logic_error);  // a list is clicked on a row
    EXPECT_THROW(u.Type(1051, "x"), std::logic_error);  // read-only
    EXPECT_THROW(u.ClickListRow(1030, 0), std::logic_error);  // no such row
    EXPECT_THROW(u.Click(777), std::logic_error);
    dialog.GetButton(1060).Enable();
    u.Click(1060);
    u.Close();
    EXPECT_THROW(u.Click(1061), std::logic_error);  // the dialog has ended
  });
  EXPECT_THAT(dialog.log, ElementsAre("command 1060 0", "command 2 0"));
  EXPECT_EQ(transcript.lines.back(), "user close");
}

void FillList(TestDialog& d) {
  ListView list = d.GetListView(1030);
  list.InsertColumn(0, "Model", 120);
  list.InsertColumn(1, "Port", 60);
  for (const char* name : {"KV-100", "KV-200", "KV-300"}) {
    int row = list.InsertItem(list.GetItemCount(), name);
    list.SetItemText(row, 1, "COM" + std::to_string(row + 1));
  }
}

TEST_F(HeadlessDriverTest, SingleSelectionListFollowsClicks) {
  std::vector<int> selectedInHandler;
  Run(
      [](TestDialog& d) {
        FillList(d);
        d.GetListView(1030).SetItemState(0, lvis::Selected | lvis::Focused, lvis::Selected | lvis::Focused);
        d.GetListView(1030).EnsureVisible(0);
      },
      [&](DialogDriver& u) {
        EXPECT_THAT(u.ListColumns(1030), ElementsAre("Model", "Port"));
        EXPECT_THAT(u.ListRow(1030, 2), ElementsAre("KV-300", "COM3"));
        EXPECT_EQ(u.EnsuredVisibleRow(1030), 0);
        dialog.onNotify = [&](TestDialog& d, int, int) {
          selectedInHandler.push_back(d.GetListView(1030).GetNextItem(-1, lvni::Selected));
        };
        u.ClickListRow(1030, 2);
        EXPECT_THAT(u.SelectedRows(1030), ElementsAre(2));
        EXPECT_EQ(u.FocusedRow(1030), 2);
        // Selecting by program in a single-selection list drops the old selection too.
        dialog.GetListView(1030).SetItemState(1, lvis::Selected, lvis::Selected);
        EXPECT_THAT(u.SelectedRows(1030), ElementsAre(1));
        dialog.GetListView(1030).SetItemState(-1, lvis::Selected, lvis::Selected);  // refused
        EXPECT_THAT(u.SelectedRows(1030), ElementsAre(1));
        u.ClickListEmpty(1030);
        EXPECT_THAT(u.SelectedRows(1030), IsEmpty());
      });
  EXPECT_THAT(selectedInHandler, ElementsAre(2, -1));
  EXPECT_THAT(dialog.log, ElementsAre("notify 1030 -2", "notify 1030 -2", "command 2 0"));
  EXPECT_EQ(transcript.lines[1], "user select 1030 row 2 \"KV-300\"");
  EXPECT_EQ(transcript.lines[2], "user click 1030 empty");
}

TEST_F(HeadlessDriverTest, ListItemQueriesFollowTheListViewMessages) {
  Run(
      [](TestDialog& d) {
        FillList(d);
        ListView list = d.GetListView(1030);
        EXPECT_EQ(list.GetNextItem(-1, lvni::All), 0);
        EXPECT_EQ(list.GetNextItem(0, lvni::All), 1);  // the start item itself is excluded
        EXPECT_EQ(list.GetNextItem(2, lvni::All), -1);
        EXPECT_EQ(list.GetNextItem(-1, lvni::Selected), -1);
        list.SetItemState(1, lvis::Focused, lvis::Focused);
        list.SetItemState(2, lvis::Focused | lvis::Selected, lvis::Focused | lvis::Selected);
        EXPECT_EQ(list.GetItemState(1, lvis::Focused), 0u);  // one focused item only
        EXPECT_EQ(list.GetNextItem(-1, lvni::Selected | lvni::Focused), 2);
        EXPECT_EQ(list.InsertItem(99, "KV-400"), 3);  // past the end appends
        EXPECT_FALSE(list.SetItemText(7, 1, "x"));
        EXPECT_EQ(list.GetItemText(3, 1), "");
        list.DeleteAllItems();
        EXPECT_EQ(list.GetItemCount(), 0);

        ListView sorted = d.GetListView(1031);
        for (const char* name : {"b", "C", "a"}) sorted.InsertItem(0, name);
        EXPECT_EQ(sorted.GetItemText(0, 0), "a");
        EXPECT_EQ(sorted.GetItemText(2, 0), "C");
      },
      [](DialogDriver& u) { EXPECT_EQ(u.EnsuredVisibleRow(1030), -1); });
}

TEST_F(HeadlessDriverTest, ComboSelectionSendsSelChange) {
  Run(
      [](TestDialog& d) {
        ComboBox combo = d.GetComboBox(1040);
        for (const char* port : {"COM1", "COM2", "LPT1"}) combo.AddString(port);
        EXPECT_EQ(combo.GetCurSel(), -1);
        combo.SetCurSel(5);
        EXPECT_EQ(combo.GetCurSel(), -1);
        combo.SetCurSel(1);
        EXPECT_EQ(combo.GetText(), "COM2");

        ComboBox sorted = d.GetComboBox(1041);
        sorted.AddString("usb");
        sorted.SetCurSel(0);
        EXPECT_EQ(sorted.AddString("Ethernet"), 0);
        EXPECT_EQ(sorted.GetCurSel(), 1);  // still "usb"
        sorted.ResetContent();
        EXPECT_EQ(sorted.GetCount(), 0);
        EXPECT_EQ(sorted.GetCurSel(), -1);
      },
      [&](DialogDriver& u) {
        dialog.onCommand = [](TestDialog& d, int id, int code) {
          if (id == 1040) {
            EXPECT_EQ(d.GetComboBox(1040).GetCurSel(), 2) << code;
          }
        };
        u.SelectCombo(1040, 2);
        EXPECT_EQ(u.ComboSelection(1040), 2);
        EXPECT_THAT(u.ComboItems(1040), ElementsAre("COM1", "COM2", "LPT1"));
        EXPECT_THROW(u.SelectCombo(1040, 3), std::logic_error);
      });
  EXPECT_EQ(dialog.log.front(), "command 1040 1");
  EXPECT_EQ(transcript.lines[1], "user select 1040 item 2 \"LPT1\"");
}

TEST_F(HeadlessDriverTest, TypingAndMenuCommandsReachTheDialog) {
  Run(nullptr, [&](DialogDriver& u) {
    u.Type(1050, "192.168.0.10");
    EXPECT_EQ(dialog.GetEdit(1050).GetText(), "192.168.0.10");
    u.Menu(601);
    EXPECT_THROW(u.Menu(603), std::logic_error);  // not in the menu
    EXPECT_THROW(u.Menu(0), std::logic_error);    // a separator is no command
  });
  EXPECT_THAT(dialog.log, ElementsAre("command 1050 768", "command 601 0", "command 2 0"));
  EXPECT_THAT(transcript.lines, ElementsAre("dialog 500 \"Main\"", "user type 1050 \"192.168.0.10\"", "user menu 601"));
}

TEST_F(HeadlessDriverTest, FontsAndFocusAreRecorded) {
  Run(
      [](TestDialog& d) {
        FontSpec font;
        font.height = -12;
        font.faceName = "Courier New";
        d.GetStatic(1052).SetFont(font);
        d.GetEdit(1050).Focus();
      },
      [](DialogDriver& u) {
        ASSERT_TRUE(u.Font(1052).has_value());
        EXPECT_EQ(u.Font(1052)->faceName, "Courier New");
        EXPECT_FALSE(u.Font(1050).has_value());
        EXPECT_EQ(u.Focus(), 1050);
      });
}

}  // namespace
}  // namespace ui::headless::testing

// What property pages need of the headless kit: UTF-16 text, list clicks by mouse messages with
// the clicked item, the combo box's string search, file dialogs and pages bound to someone else's window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ui/headless/HeadlessWindow.h"
#include "ui/headless/PluginResources.h"
#include "ui/headless/TestDialogs.h"

namespace ui::headless::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr int kEdit = 1050, kList = 1030, kCombo = 1040;

class PageKitTest : public ::testing::Test, public HeadlessFixture {
protected:
  // The main test dialog, running modeless: its controls are there, no user acts on it.
  TestDialog& Open() {
    dialog.CreateModeless(nullptr);
    return dialog;
  }

  TestDialog dialog{kit, kMain};
};

TEST_F(PageKitTest, WideAndAnsiViewsOfOneControlAgree) {
  enum class Where { Edit, EditSetAnsi, ListItem, SubItem, ComboItem };
  struct Case {
    Where where;
    std::u16string text;
    std::size_t maxUnits;
    std::u16string wide;  // read back with maxUnits
    std::string ansi;     // the 8-bit view
  };
  const Case cases[] = {
      {Where::Edit, u"Zürich €", 256, u"Zürich €", "Z\xFCrich \x80"},
      {Where::Edit, u"Ωmega ж", 256, u"Ωmega ж", "?mega ?"},  // not in Windows-1252
      {Where::Edit, u"Ωmega ж", 4, u"Ωme", "?mega ?"},
      {Where::Edit, u"abc", 1, u"", "abc"},
      {Where::EditSetAnsi, u"Zürich €", 256, u"Zürich €", "Z\xFCrich \x80"},
      {Where::ListItem, u"Ωmega ж", 256, u"Ωmega ж", "?mega ?"},
      {Where::SubItem, u"Barcode3 ✓", 256, u"Barcode3 ✓", "Barcode3 ?"},
      {Where::ComboItem, u"Ωmega ж", 0, u"Ωmega ж", "?mega ?"},
  };
  TestDialog& d = Open();
  for (const Case& c : cases) {
    ListView list = d.GetListView(kList);
    ComboBox combo = d.GetComboBox(kCombo);
    list.DeleteAllItems();
    combo.ResetContent();
    std::u16string wide;
    std::string ansi;
    switch (c.where) {
      case Where::Edit:
      case Where::EditSetAnsi:
        if (c.where == Where::Edit) d.GetEdit(kEdit).SetTextW(c.text);
        else d.GetEdit(kEdit).SetText(c.ansi);
        wide = d.GetEdit(kEdit).GetTextW(c.maxUnits), ansi = d.GetEdit(kEdit).GetText();
        break;
      case Where::ListItem:
        list.InsertItemW(0, c.text);
        wide = list.GetItemTextW(0, 0, c.maxUnits), ansi = list.GetItemText(0, 0);
        break;
      case Where::SubItem:
        list.InsertItem(0, "row");
        EXPECT_TRUE(list.SetItemTextW(0, 2, c.text));
        wide = list.GetItemTextW(0, 2, c.maxUnits), ansi = list.GetItemText(0, 2);
        break;
      case Where::ComboItem:
        combo.AddStringW(c.text);
        wide = combo.GetItemTextW(0), ansi = combo.GetItemText(0);
        break;
    }
    EXPECT_EQ(wide, c.wide) << ansi;
    EXPECT_EQ(ansi, c.ansi);
  }
}

TEST_F(PageKitTest, MouseDownAndUpOnARowIsAClickWithThatItem) {
  constexpr int kEmpty = -1, kNoDown = -2;
  struct Case {
    const char* name;
    int down, up;  // rows under the pointer; kEmpty: the empty area; kNoDown: no button-down
    std::vector<int> clicked;  // items of the NM_CLICK notifications
    std::vector<int> selected;
    int focused, mark;
  };
  const Case cases[] = {
      {"row 1", 1, 1, {1}, {1}, 1, 1},
      {"empty area", kEmpty, kEmpty, {-1}, {}, 2, 2},
      {"up without down", kNoDown, 1, {}, {2}, 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestDialog page(kit, kMain);
    std::vector<int> clicked;
    page.onNotify = [&](TestDialog& d, int id, int code) {
      if (id == kList && code == notify::Click) clicked.push_back(d.NotifyItem());
    };
    page.CreateModeless(nullptr);
    ListView list = page.GetListView(kList);
    for (const char16_t* text : {u"Arial", u"Ωmega", u"Zeta"}) list.InsertItemW(list.GetItemCount(), text);
    list.SetItemState(2, lvis::Selected | lvis::Focused, lvis::Selected | lvis::Focused);
    list.SetSelectionMark(2);
    auto at = [&](int row) { return row >= 0 ? list.GetItemPosition(row) : Point{5, 400}; };
    if (c.down != kNoDown) list.SendMouse(MouseAction::LeftDown, at(c.down));
    list.SendMouse(MouseAction::MoveLeftHeld, at(c.up));
    list.SendMouse(MouseAction::LeftUp, at(c.up));
    EXPECT_EQ(clicked, c.clicked);
    EXPECT_EQ(page.NotifyItem(), -1);  // only while the notification is handled
    std::vector<int> selected;
    for (int i = list.GetNextItem(-1, lvni::Selected); i != -1; i = list.GetNextItem(i, lvni::Selected))
      selected.push_back(i);
    EXPECT_EQ(selected, c.selected);
    EXPECT_EQ(list.GetNextItem(-1, lvni::Focused), c.focused);
    EXPECT_EQ(list.GetSelectionMark(), c.mark);
  }
}

TEST_F(PageKitTest, UserClicksOnRowsCarryTheItem) {
  std::vector<std::string> seen;
  dialog.onInit = [](TestDialog& d) {
    for (const char* text : {"a", "b", "c"}) d.GetListView(kList).InsertItem(0, text);
  };
  dialog.onNotify = [&](TestDialog& d, int, int code) {
    seen.push_back(std::to_string(code) + " " + std::to_string(d.NotifyItem()) + " mark " +
                   std::to_string(d.GetListView(kList).GetSelectionMark()));
  };
  user.OnDialog(kMain, [](DialogDriver& u) {
    u.ClickListRow(kList, 2);
    u.DoubleClickListRow(kList, 1);
    u.ClickListEmpty(kList);
  });
  dialog.DoModal();
  EXPECT_THAT(seen, ElementsAre("-2 2 mark 2", "-2 1 mark 1", "-3 1 mark 1", "-2 -1 mark 1"));
}

TEST_F(PageKitTest, ComboSelectStringFindsTheFirstEntryBeginningWithThePrefix) {
  const std::u16string items[] = {u"Do not substitute", u"FontA11", u"FontA12", u"control", u"controlA", u"Ärger", u"Ωmega"};
  struct Case {
    int startAfter;
    std::u16string prefix;
    int found;  // and the selection; -1: it stays at 6
  };
  const Case cases[] = {
      {-1, u"fonta1", 1},  {-1, u"FONTA12", 2},   {-1, u"control", 3}, {-1, u"CONTROLA", 4}, {3, u"control", 4},
      {4, u"control", 3},  {2, u"FontA1", 1},     {-1, u"ärg", 5},     {-1, u"ωME", 6},      {-1, u"FontB", -1},
      {-1, u"controlAB", -1}, {99, u"Do", 0},  // a start past the end searches from the top
  };
  TestDialog& d = Open();
  ComboBox combo = d.GetComboBox(kCombo);
  for (const auto& item : items) combo.AddStringW(item);
  for (const Case& c : cases) {
    combo.SetCurSel(6);
    EXPECT_EQ(combo.SelectStringW(c.startAfter, c.prefix), c.found) << c.startAfter;
    const int selected = c.found == -1 ? 6 : c.found;
    EXPECT_EQ(combo.GetCurSel(), selected);
    EXPECT_EQ(combo.GetTextW(256), items[selected]);  // the edit field shows the selection
  }
}

TEST_F(PageKitTest, FileDialogsAreAnsweredByTheUserOrCancelled) {
  struct Case {
    std::optional<FileDialogAnswer> answer;  // nullopt: nothing queued
    std::optional<std::u16string> chosen;
    std::string line;
  };
  const Case cases[] = {
      {[](const FileDialogRequest& r) { return r.initialName; }, u"kvxproperties.reg",
       "file \"Export\" -> \"kvxproperties.reg\""},
      {[](const FileDialogRequest&) { return u"C:\\Ωmega\\backup"; }, u"C:\\Ωmega\\backup",
       "file \"Export\" -> \"C:\\\\?mega\\\\backup\""},
      {[](const FileDialogRequest&) { return std::nullopt; }, std::nullopt, "file \"Export\" -> Cancel"},
      {std::nullopt, std::nullopt, "file \"Export\" -> Cancel"},
  };
  const FileDialogRequest request{true, u"Export", u"reg files", u"*.reg", u"kvxproperties.reg", 256};
  for (const Case& c : cases) {
    if (c.answer) user.OnFileDialog(*c.answer);
    transcript.lines.clear();
    EXPECT_EQ(kit.GetFileName(nullptr, request), c.chosen);
    EXPECT_THAT(transcript.lines, ElementsAre(c.line));
  }
  ASSERT_EQ(kit.FileDialogs().size(), std::size(cases));
  EXPECT_EQ(kit.FileDialogs()[0].filterPattern, u"*.reg");
  EXPECT_EQ(user.PendingFileDialogAnswers(), 0u);
}

TEST(PageKitBinding, APageBoundToAForeignWindowGetsItsTemplatesControls) {
  ScriptedUser user;
  HeadlessKit kit(PluginResources(), kEnglish, user);
  struct Case {
    int templateId;
    std::vector<int> visible, hidden;
    int button;  // one a user clicks
  };
  const Case cases[] = {
      {107, {1008, 1011, 1012, 1013, 1016}, {1014}, 1016},
      {106, {1007, 1008}, {}, 1007},
  };
  for (const Case& c : cases) {
    TestDialog page(kit, c.templateId);
    int window = 0;  // stands for the sheet's page window
    kit.BindPage(page, &window);
    HeadlessWindow* bound = kit.FindBoundPage(&window);
    ASSERT_TRUE(bound != nullptr && bound == kit.FindBoundPage(page));
    EXPECT_TRUE(page.IsRunning());
    for (int id : c.visible) EXPECT_TRUE(page.GetControl(id).IsVisible()) << id;
    for (int id : c.hidden) EXPECT_FALSE(page.GetControl(id).IsVisible()) << id;
    DialogDriver(kit, *bound).Click(c.button);
    EXPECT_THAT(page.log, ElementsAre("command " + std::to_string(c.button) + " 0"));

    kit.DestroyParentWindow(page);
    EXPECT_TRUE(kit.ParentDestroyed(page));
    EXPECT_FALSE(page.IsRunning());
    EXPECT_EQ(kit.FindBoundPage(&window), nullptr);
    kit.UnbindPage(page);  // already gone: nothing happens
  }
}

}  // namespace
}  // namespace ui::headless::testing

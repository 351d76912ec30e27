// The kit on real dialogs from the installer's templates: what the kit writes is read back
// with raw window messages, and what a user does with window messages is read through the kit.
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>

#include "GuiTestSupport.h"
#include "resource.h"
#include "ui/win32/Win32Kit.h"

using kvxtest::Click;
using kvxtest::HasStyle;
using kvxtest::Item;
using kvxtest::ProbeDialog;
using kvxtest::TextOf;

namespace {

constexpr int kAdvancedIds[] = {IDC_DRIVER_GROUP, IDC_DRIVER_REGULAR, IDC_DRIVER_REDUCED,
                                IDC_WIDTH_GROUP,  IDC_WIDTH_80,       IDC_WIDTH_48};
constexpr intptr_t kClickAnswer = 0x1234;

std::string RawItemText(HWND list, int item) {
  char text[128] = {};
  LVITEMA lvItem{};
  lvItem.pszText = text;
  lvItem.cchTextMax = sizeof(text);
  SendMessageA(list, LVM_GETITEMTEXTA, item, reinterpret_cast<LPARAM>(&lvItem));
  return text;
}

void SelectRow(HWND list, int item) {
  LVITEMA lvItem{};
  lvItem.state = LVIS_SELECTED;
  lvItem.stateMask = LVIS_SELECTED;
  SendMessageA(list, LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&lvItem));
}

LRESULT SendNotify(HWND dialog, int id, UINT code) {
  NMHDR header{Item(dialog, id), static_cast<UINT_PTR>(id), code};
  return SendMessageA(dialog, WM_NOTIFY, id, reinterpret_cast<LPARAM>(&header));
}

// Every kind of write a dialog's initialisation makes, on the model dialog's template: a list
// font, a column, rows (one written over), the first row selected, checks, a disabled button, the
// menu and hidden controls. (The program's own set-up is CPrinterModelDlg's, which the showcase shows.)
void WriteThroughTheKit(ProbeDialog& dialog) {
  dialog.init = [](ProbeDialog& d) {
    ui::ListView list = d.GetListView(IDC_MODEL_LIST);
    ui::FontSpec font;
    font.height = 32;
    font.pitchAndFamily = 0x10;
    list.SetFont(font);
    list.InsertColumn(0, "Select printer to install", list.Width() - 5);
    list.InsertItem(0, "    RQ-7200 TH   ");
    list.InsertItem(1, "    VT5000   ");
    list.InsertItem(2, "placeholder");
    list.SetItemText(2, 0, "    RQ-310   ");
    list.SetItemState(0, ui::lvis::Selected, ui::lvis::Selected);
    list.EnsureVisible(0);
    d.GetButton(IDC_WIDTH_48).SetCheck(ui::bst::Unchecked);
    d.GetButton(IDC_WIDTH_80).SetCheck(ui::bst::Checked);
    d.GetButton(IDC_DRIVER_REGULAR).SetCheck(ui::bst::Checked);
    d.GetButton(IDC_DRIVER_REDUCED).Enable(false);
    d.AttachMenu(IDR_MAIN_MENU);
    for (int id : kAdvancedIds) d.GetControl(id).Show(false);
  };
}

struct Snapshot {
  int selected = -2;
  int nextSelected = -2;
  std::string selectedText;
  int width80 = -1, width48 = -1, regular = -1;
  bool advancedVisible = false;
  std::string advancedCaption;
};

TEST(Win32KitDialog, KitWritesReachTheRealControlsAndUserActionsReachTheKit) {
  ui::win32::Win32Kit kit;
  ProbeDialog dialog(kit, IDD_PRINTER_MODEL);
  WriteThroughTheKit(dialog);
  Snapshot atClick;
  dialog.command = [](ProbeDialog& d, int id, int) {
    if (id != IDC_ADVANCED) return false;
    for (int adv : kAdvancedIds) d.GetControl(adv).Show(true);
    d.GetButton(IDC_ADVANCED).SetText("Advanced <<");
    return true;
  };
  dialog.notify = [&atClick](ProbeDialog& d, int id, int code) -> intptr_t {
    if (id != IDC_MODEL_LIST || code != ui::notify::Click) return 0;
    ui::ListView list = d.GetListView(IDC_MODEL_LIST);
    atClick.selected = list.GetNextItem(-1, ui::lvni::Selected);
    atClick.nextSelected = list.GetNextItem(atClick.selected, ui::lvni::Selected);
    atClick.selectedText = list.GetItemText(atClick.selected, 0);
    atClick.width80 = d.GetButton(IDC_WIDTH_80).GetCheck();
    atClick.width48 = d.GetButton(IDC_WIDTH_48).GetCheck();
    atClick.regular = d.GetButton(IDC_DRIVER_REGULAR).GetCheck();
    atClick.advancedVisible = d.GetControl(IDC_WIDTH_48).IsVisible();
    atClick.advancedCaption = d.GetButton(IDC_ADVANCED).GetText();
    return kClickAnswer;
  };

  HFONT listFont = nullptr;
  std::thread user([&] {
    HWND dlg = dialog.ready.Wait();
    ASSERT_NE(dlg, nullptr) << "the dialog never came up";
    HWND list = Item(dlg, IDC_MODEL_LIST);

    // What the kit wrote during initialisation.
    EXPECT_EQ(TextOf(dlg), "Korvex Driver Install");
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(RawItemText(list, 1), "    VT5000   ");
    EXPECT_EQ(RawItemText(list, 2), "    RQ-310   ");
    RECT rect{};
    GetWindowRect(list, &rect);
    EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), rect.right - rect.left - 5);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMSTATE, 0, LVIS_SELECTED), LVIS_SELECTED);
    listFont = reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0));
    LOGFONTA logFont{};
    ASSERT_NE(GetObjectA(listFont, sizeof(logFont), &logFont), 0);
    EXPECT_EQ(logFont.lfHeight, 32);
    EXPECT_EQ(logFont.lfPitchAndFamily, 0x10);
    EXPECT_EQ(SendMessageA(Item(dlg, IDC_WIDTH_80), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(Item(dlg, IDC_DRIVER_REGULAR), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_FALSE(IsWindowEnabled(Item(dlg, IDC_DRIVER_REDUCED)));
    for (int id : kAdvancedIds) EXPECT_FALSE(HasStyle(Item(dlg, id), WS_VISIBLE)) << id;
    EXPECT_TRUE(HasStyle(Item(dlg, IDC_ADVANCED), WS_VISIBLE));
    EXPECT_NE(SendMessageA(dlg, WM_GETICON, ICON_BIG, 0), 0);
    EXPECT_NE(SendMessageA(dlg, WM_GETICON, ICON_SMALL, 0), 0);

    HMENU menu = GetMenu(dlg);
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_SUBMENU;
    GetMenuItemInfoA(menu, 0, TRUE, &info);
    EXPECT_TRUE(info.fType & MFT_RIGHTJUSTIFY) << "Help is not right-aligned";
    EXPECT_EQ(GetMenuItemID(info.hSubMenu, 0), static_cast<UINT>(ID_APP_ABOUT));

    // The user's turn.
    Click(dlg, IDC_ADVANCED);
    for (int id : kAdvancedIds) EXPECT_TRUE(HasStyle(Item(dlg, id), WS_VISIBLE)) << id;
    EXPECT_EQ(TextOf(Item(dlg, IDC_ADVANCED)), "Advanced <<");
    Click(dlg, IDC_WIDTH_48);
    SelectRow(list, 2);
    EXPECT_EQ(SendNotify(dlg, IDC_MODEL_LIST, NM_CLICK), kClickAnswer);
    EXPECT_EQ(SendNotify(dlg, IDC_MODEL_LIST, LVN_KEYDOWN), 0);
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, 0), 0);
    Click(dlg, IDCANCEL);
  });
  const intptr_t result = dialog.DoModal();
  user.join();

  EXPECT_EQ(result, ui::idres::Cancel);
  EXPECT_FALSE(dialog.IsRunning());
  EXPECT_EQ(ui::win32::Win32Kit::WindowHandle(dialog), nullptr);
  EXPECT_EQ(atClick.selected, 2);
  EXPECT_EQ(atClick.nextSelected, -1) << "single selection";
  EXPECT_EQ(atClick.selectedText, "    RQ-310   ");
  EXPECT_EQ(atClick.width48, ui::bst::Checked);
  EXPECT_EQ(atClick.width80, ui::bst::Unchecked) << "radio group 80/48";
  EXPECT_EQ(atClick.regular, ui::bst::Checked) << "the driver group is a separate radio group";
  EXPECT_TRUE(atClick.advancedVisible);
  EXPECT_EQ(atClick.advancedCaption, "Advanced <<");
  const std::vector<std::pair<int, int>> expected = {
      {IDC_ADVANCED, ui::cmd::Clicked}, {IDC_WIDTH_48, ui::cmd::Clicked}, {ID_APP_ABOUT, 0}, {IDCANCEL, ui::cmd::Clicked}};
  EXPECT_EQ(dialog.commands, expected);
  const std::vector<std::pair<int, int>> clicks = {{IDC_MODEL_LIST, ui::notify::Click}};
  std::vector<std::pair<int, int>> seenClicks;
  for (const auto& n : dialog.notifications)
    if (n.second == ui::notify::Click) seenClicks.push_back(n);
  EXPECT_EQ(seenClicks, clicks);
  LOGFONTA afterwards{};
  EXPECT_NE(GetObjectA(listFont, sizeof(afterwards), &afterwards), 0) << "the list font must outlive its dialog";
}

TEST(Win32KitDialog, ComboAndStaticTextOfTheOsDialog) {
  ui::win32::Win32Kit kit;
  ProbeDialog dialog(kit, IDD_PICK_OS_TYPE);
  const char* labels[] = {"WIN 31", "WIN 95", "WIN 98", "WIN NT", "WIN 2K", "WIN XP", "WIN VISTA"};
  dialog.init = [&](ProbeDialog& d) {
    d.SetCaption(d.kit().LoadText(IDS_OS_TITLE));
    d.GetStatic(IDC_OS_TEXT).SetText(d.kit().LoadText(IDS_OS_TEXT));
    ui::ComboBox combo = d.GetComboBox(IDC_OS_COMBO);
    combo.AddString("left over");
    combo.ResetContent();
    for (const char* label : labels) combo.AddString(label);
    combo.SetCurSel(0);
  };
  int chosen = -2;
  std::string chosenText, missingText = "x", osText;
  dialog.command = [&](ProbeDialog& d, int id, int) {
    if (id == IDOK) {
      ui::ComboBox combo = d.GetComboBox(IDC_OS_COMBO);
      chosen = combo.GetCurSel();
      chosenText = combo.GetItemText(chosen);
      missingText = combo.GetItemText(combo.GetCount());
      osText = d.GetStatic(IDC_OS_TEXT).GetText();
    }
    return false;
  };
  std::thread user([&] {
    HWND dlg = dialog.ready.Wait();
    ASSERT_NE(dlg, nullptr);
    HWND combo = Item(dlg, IDC_OS_COMBO);
    EXPECT_EQ(TextOf(dlg), "Operational System");
    EXPECT_TRUE(HasStyle(dlg, WS_SYSMENU)) << "close box";
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 7);
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
    char text[32] = {};
    SendMessageA(combo, CB_GETLBTEXT, 6, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "WIN VISTA") << "the labels keep their order";
    SendMessageA(combo, CB_SETCURSEL, 3, 0);
    Click(dlg, IDOK);
  });
  const intptr_t result = dialog.DoModal();
  user.join();

  EXPECT_EQ(result, ui::idres::Ok);
  EXPECT_EQ(chosen, 3);
  EXPECT_EQ(chosenText, "WIN NT");
  EXPECT_EQ(missingText, "");
  EXPECT_EQ(osText, kit.LoadText(IDS_OS_TEXT));
  EXPECT_GT(osText.size(), 100u);
}

TEST(Win32KitDialog, CloseBoxBackAndEscapeEndTheDialogWithTheirResults) {
  ui::win32::Win32Kit kit;
  struct Case {
    const char* what;
    std::function<void(HWND)> act;
    intptr_t result;
  } cases[] = {
      {"close box", [](HWND d) { SendMessageA(d, WM_CLOSE, 0, 0); }, ui::idres::Cancel},
      {"Back", [](HWND d) { Click(d, IDC_BACK); }, IDC_BACK},
      {"Escape", [](HWND d) { SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0); }, ui::idres::Cancel},
  };
  for (const Case& c : cases) {
    ProbeDialog dialog(kit, IDD_INTERFACE_CONFIG);
    dialog.command = [](ProbeDialog& d, int id, int) {
      if (id == IDC_BACK) d.EndDialog(IDC_BACK);
      return id == IDC_BACK;
    };
    std::thread user([&] {
      if (HWND dlg = dialog.ready.Wait()) c.act(dlg);
    });
    EXPECT_EQ(dialog.DoModal(), c.result) << c.what;
    user.join();
  }
}

TEST(Win32KitDialog, NestedDialogIsOwnedByItsParentAndDisablesIt) {
  ui::win32::Win32Kit kit;
  ProbeDialog model(kit, IDD_PRINTER_MODEL);
  ProbeDialog about(kit, IDD_ABOUTBOX, &model);
  about.init = [](ProbeDialog& d) { d.SetCaption(d.kit().LoadText(IDS_ABOUT_TITLE)); };
  intptr_t aboutResult = 0;
  model.command = [&](ProbeDialog&, int id, int) {
    if (id != ID_APP_ABOUT) return false;
    aboutResult = about.DoModal();
    return true;
  };
  std::thread user([&] {
    HWND dlg = model.ready.Wait();
    ASSERT_NE(dlg, nullptr);
    // Posted: a sent command would hold this thread until the nested dialog ends.
    PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, 0), 0);
    HWND box = about.ready.Wait();
    if (box) {
      EXPECT_EQ(GetWindow(box, GW_OWNER), dlg);
      EXPECT_FALSE(IsWindowEnabled(dlg));
      EXPECT_EQ(TextOf(box), "About TolvInstaller...");
      EXPECT_EQ(TextOf(Item(box, IDC_ABOUT_NAME)), "KvxInstaller Version");
      EXPECT_EQ(TextOf(Item(box, IDC_ABOUT_VERSION)), "4.1.0");
      EXPECT_NE(SendMessageA(Item(box, IDC_ABOUT_ICON), STM_GETICON, 0, 0), 0);
      Click(box, IDOK);
    }
    EXPECT_NE(box, nullptr);
    EXPECT_TRUE(IsWindowEnabled(dlg));
    Click(dlg, IDCANCEL);
  });
  EXPECT_EQ(model.DoModal(), ui::idres::Cancel);
  user.join();
  EXPECT_EQ(aboutResult, ui::idres::Ok);
}

TEST(Win32KitDialog, HandlerFailuresEndTheDialogAndReachTheCaller) {
  ui::win32::Win32Kit kit;
  ProbeDialog dialog(kit, IDD_INTERFACE_CONFIG);
  HWND seen = nullptr;
  dialog.command = [](ProbeDialog&, int id, int) -> bool {
    if (id == IDC_BACK) throw ui::UserException{};  // silent: the dialog carries on
    if (id == IDC_INSTALL_PRINTER) throw std::runtime_error("handler failed");
    return false;
  };
  std::thread user([&] {
    seen = dialog.ready.Wait();
    if (!seen) return;
    Click(seen, IDC_BACK);
    EXPECT_TRUE(IsWindow(seen));
    Click(seen, IDC_INSTALL_PRINTER);
  });
  EXPECT_THROW(dialog.DoModal(), std::runtime_error);
  user.join();
  ASSERT_NE(seen, nullptr);
  EXPECT_FALSE(IsWindow(seen));
  EXPECT_FALSE(dialog.IsRunning());
}

TEST(Win32KitDialog, FailureDuringInitialisationNeverShowsTheDialog) {
  ui::win32::Win32Kit kit;
  ProbeDialog dialog(kit, IDD_ABOUTBOX);
  dialog.init = [](ProbeDialog& d) { d.GetControl(4242).SetText("no such control"); };
  EXPECT_THROW(dialog.DoModal(), std::logic_error);
}

TEST(Win32KitDialog, MissingTemplateFails) {
  ui::win32::Win32Kit kit;
  ProbeDialog dialog(kit, 4711);
  EXPECT_EQ(dialog.DoModal(), -1);
}

}  // namespace

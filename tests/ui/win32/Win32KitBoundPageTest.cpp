// A page of a real property sheet bound to a dialog object with Win32Kit::BindPage: UTF-16 text
// in its list view, and a click made of mouse messages at an item's position.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "resource.h"
#include "ui/win32/DialogRouting.h"
#include "ui/win32/Win32Kit.h"

using kvxtest::ProbeDialog;

namespace {

struct SheetPage {
  ui::win32::Win32Kit& kit;
  ProbeDialog& page;
};

// What a plug-in's page procedure does: bind on initialisation, route, unbind when the window goes.
INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* sheetPage = reinterpret_cast<SheetPage*>(reinterpret_cast<const PROPSHEETPAGEW*>(lParam)->lParam);
    SetWindowLongPtrW(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(sheetPage));
    sheetPage->kit.BindPage(sheetPage->page, hwnd);
    return sheetPage->page.DispatchInit();
  }
  auto* sheetPage = reinterpret_cast<SheetPage*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (!sheetPage) return FALSE;
  if (message == WM_NCDESTROY) {
    sheetPage->kit.UnbindPage(sheetPage->page);
    return FALSE;
  }
  return ui::win32::RouteDialogMessage(sheetPage->page, hwnd, message, wParam, lParam);
}

TEST(Win32KitBoundPage, ListClickAtAnItemsPositionNotifiesThatItem) {
  ui::win32::Win32Kit kit;
  // Any template with a list view serves: the sheet makes it a page (a child without a frame).
  ProbeDialog page(kit, IDD_ETHERNET_PRINTERS);
  constexpr int kList = IDC_BOARD_LIST;
  const std::u16string names[] = {u"Arial", u"Ωmega ж", u"Zürich €"};
  page.init = [&](ProbeDialog& p) {
    ui::ListView list = p.GetListView(kList);
    list.AddExtendedStyle(ui::lvsex::FullRowSelect);
    list.InsertColumn(0, "Truetype Font", 170);
    list.InsertColumn(1, "Device font", 100);
    for (int i = 0; i < 3; ++i) list.InsertItemW(i, names[i]);
    list.SetItemTextW(1, 1, u"Barcode3 ✓");
  };
  std::vector<int> clicked;
  page.notify = [&](ProbeDialog& p, int id, int code) {
    if (id == kList && code == ui::notify::Click) clicked.push_back(p.NotifyItem());
    return intptr_t{0};
  };

  SheetPage sheetPage{kit, page};
  PROPSHEETPAGEW pageRecord{};
  pageRecord.dwSize = sizeof(pageRecord);
  pageRecord.hInstance = GetModuleHandleW(nullptr);
  pageRecord.pszTemplate = MAKEINTRESOURCEW(IDD_ETHERNET_PRINTERS);
  pageRecord.pfnDlgProc = &PageProc;
  pageRecord.lParam = reinterpret_cast<LPARAM>(&sheetPage);
  HPROPSHEETPAGE pages[] = {CreatePropertySheetPageW(&pageRecord)};
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof(header);
  header.dwFlags = PSH_MODELESS;
  header.pszCaption = L"Printer properties";
  header.nPages = 1;
  header.phpage = pages;
  HWND sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
  ASSERT_NE(sheet, nullptr);
  ASSERT_TRUE(page.IsRunning());

  ui::ListView list = page.GetListView(kList);
  EXPECT_EQ(list.GetItemTextW(1, 0, 256), names[1]);
  EXPECT_EQ(list.GetItemTextW(1, 1, 256), u"Barcode3 ✓");
  EXPECT_EQ(list.GetItemTextW(2, 0, 4), u"Zür");
  for (int row : {2, 0}) {
    const ui::Point at = list.GetItemPosition(row);
    list.SendMouse(ui::MouseAction::LeftDown, at);
    list.SendMouse(ui::MouseAction::MoveLeftHeld, at);
    list.Invalidate();
    page.UpdateWindow();
    list.SendMouse(ui::MouseAction::LeftUp, at);
  }
  EXPECT_EQ(clicked, (std::vector<int>{2, 0}));
  EXPECT_EQ(list.GetSelectionMark(), 0);
  EXPECT_EQ(list.GetNextItem(-1, ui::lvni::Selected), 0);

  kit.DestroyParentWindow(page);
  EXPECT_FALSE(IsWindow(sheet));
  EXPECT_FALSE(page.IsRunning());  // unbound as its window went
}

}  // namespace

// Child pages and the wait cursor of the kit on real windows: pages made inside a running
// dialog from the installer's page templates, driven with window messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "GuiTestSupport.h"
#include "resource.h"
#include "ui/win32/Win32Kit.h"

using kvxtest::Click;
using kvxtest::HasStyle;
using kvxtest::Item;
using kvxtest::ProbeDialog;

namespace {

ui::Rect RectIn(HWND window, HWND reference) {
  RECT r{};
  GetWindowRect(window, &r);
  MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right, r.bottom};
}

// Where template 149 puts its page frame, in pixels of the running dialog. The dialog manager
// converts the position and the size, not the corners.
ui::Rect TemplateFrame(HWND dialog) {
  RECT r{7, 38, 248, 84};
  MapDialogRect(dialog, &r);
  return {r.left, r.top, r.left + r.right, r.top + r.bottom};
}

std::vector<HWND> TabCycle(HWND dialog) {
  std::vector<HWND> cycle;
  HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
  for (HWND at = first; at && cycle.size() < 50; at = GetNextDlgTabItem(dialog, at, FALSE)) {
    cycle.push_back(at);
    if (GetNextDlgTabItem(dialog, at, FALSE) == first) break;
  }
  return cycle;
}

bool Contains(const std::vector<HWND>& windows, HWND window) {
  return std::find(windows.begin(), windows.end(), window) != windows.end();
}

int Clicks(const std::vector<std::pair<int, int>>& commands, int id) {
  return static_cast<int>(std::count(commands.begin(), commands.end(), std::make_pair(id, ui::cmd::Clicked)));
}

TEST(Win32KitPages, PagesLiveInTheFrameOfTheirDialogAndGoWithIt) {
  ui::win32::Win32Kit kit;
  ProbeDialog dialog(kit, IDD_INTERFACE_CONFIG);
  ProbeDialog serial(kit, IDD_SERIAL_PAGE), ethernet(kit, IDD_ETHERNET_PAGE), parallel(kit, IDD_PARALLEL_PAGE);
  ProbeDialog* pages[] = {&serial, &ethernet, &parallel};
  ui::Rect frame;
  std::vector<bool> created;
  std::vector<ui::Rect> placed;
  bool shownDuringInit = false;
  dialog.init = [&](ProbeDialog& d) {
    frame = d.GetControl(IDC_PAGE_FRAME).ClientRect();
    d.GetControl(IDC_PAGE_FRAME).Destroy();
    for (ProbeDialog* page : pages) {
      created.push_back(page->CreateChild(d));
      page->MoveWindow(frame);
      placed.push_back(page->WindowRect());
      page->ShowWindow(false);
    }
    serial.ShowWindow(true);
    for (const char* rate : {"115200", "38400"}) serial.GetComboBox(IDC_BAUD_COMBO).AddString(rate);
    serial.GetComboBox(IDC_BAUD_COMBO).SetCurSel(0);
    shownDuringInit = serial.IsWindowShown() && !ethernet.IsWindowShown();
  };
  dialog.command = [&](ProbeDialog&, int id, int) {
    if (id == IDC_IF_ETHERNET) {
      serial.ShowWindow(false);
      ethernet.ShowWindow(true);
    }
    if (id == IDC_IF_PARALLEL) ethernet.DestroyWindow();
    return id == IDC_IF_ETHERNET || id == IDC_IF_PARALLEL;
  };
  std::string portAtDetect, baudAtDetect;
  serial.command = [&](ProbeDialog& page, int id, int) {
    if (id != IDC_DETECT) return false;
    portAtDetect = page.GetComboBox(IDC_PORT_COMBO).GetText();
    ui::ComboBox baud = page.GetComboBox(IDC_BAUD_COMBO);
    baudAtDetect = baud.GetItemText(baud.GetCurSel());
    return true;
  };

  HWND windows[4] = {};
  std::thread user([&] {
    HWND dlg = windows[0] = dialog.ready.Wait();
    ASSERT_NE(dlg, nullptr) << "the dialog never came up";
    HWND serialPage = windows[1] = serial.ready.Wait(0);
    HWND ethernetPage = windows[2] = ethernet.ready.Wait(0);
    windows[3] = parallel.ready.Wait(0);
    ASSERT_TRUE(serialPage && ethernetPage && windows[3]);

    EXPECT_EQ(Item(dlg, IDC_PAGE_FRAME), nullptr) << "the frame was destroyed";
    EXPECT_EQ(frame, TemplateFrame(dlg));
    EXPECT_EQ(GetParent(serialPage), dlg);
    EXPECT_EQ(RectIn(serialPage, dlg), frame);
    EXPECT_TRUE(HasStyle(serialPage, WS_VISIBLE));
    EXPECT_FALSE(HasStyle(ethernetPage, WS_VISIBLE));
    EXPECT_EQ(SendMessageA(Item(serialPage, IDC_BAUD_COMBO), CB_GETCOUNT, 0, 0), 2);
    const std::vector<HWND> tabs = TabCycle(dlg);
    EXPECT_TRUE(Contains(tabs, Item(serialPage, IDC_PORT_COMBO))) << "Tab reaches the visible page";
    EXPECT_TRUE(Contains(tabs, Item(dlg, IDCANCEL)));
    EXPECT_FALSE(Contains(tabs, Item(ethernetPage, IDC_IP_ADDRESS))) << "Tab skips a hidden page";

    SetWindowTextA(Item(serialPage, IDC_PORT_COMBO), "COM7:");
    Click(serialPage, IDC_DETECT);
    Click(dlg, IDC_IF_ETHERNET);
    EXPECT_FALSE(HasStyle(serialPage, WS_VISIBLE));
    EXPECT_TRUE(HasStyle(ethernetPage, WS_VISIBLE));
    Click(dlg, IDC_IF_PARALLEL);
    EXPECT_FALSE(IsWindow(ethernetPage)) << "DestroyWindow before the dialog ends";
    EXPECT_TRUE(IsWindow(serialPage));
    Click(dlg, IDCANCEL);
  });
  const intptr_t result = dialog.DoModal();
  user.join();

  EXPECT_EQ(result, ui::idres::Cancel);
  EXPECT_EQ(created, std::vector<bool>(3, true));
  EXPECT_EQ(placed, std::vector<ui::Rect>(3, frame)) << "WindowRect is in the dialog's client coordinates";
  EXPECT_TRUE(shownDuringInit) << "a page's own visibility, while its dialog is still hidden";
  EXPECT_EQ(portAtDetect, "COM7:");
  EXPECT_EQ(baudAtDetect, "115200");
  EXPECT_EQ(Clicks(serial.commands, IDC_DETECT), 1);
  EXPECT_EQ(Clicks(dialog.commands, IDC_DETECT), 0) << "a page's button reaches the page only";
  for (ProbeDialog* page : pages) EXPECT_EQ(page->Window(), nullptr) << page->TemplateId();
  for (HWND window : windows) EXPECT_FALSE(IsWindow(window));
}

TEST(Win32KitPages, FailureInAPageHandlerEndsTheDialogAndReachesTheCaller) {
  struct Case {
    const char* what;
    bool inInit;  // else in the page's command handler
  } cases[] = {{"page initialisation", true}, {"page command", false}};
  for (const Case& c : cases) {
    ui::win32::Win32Kit kit;
    ProbeDialog dialog(kit, IDD_INTERFACE_CONFIG);
    ProbeDialog page(kit, IDD_SERIAL_PAGE);
    HWND pageWindow = nullptr;
    page.init = [&](ProbeDialog& p) {
      pageWindow = static_cast<HWND>(ui::win32::Win32Kit::WindowHandle(p));
      if (c.inInit) throw std::runtime_error("page failed");
    };
    page.command = [](ProbeDialog&, int id, int) -> bool {
      if (id == IDC_DETECT) throw std::runtime_error("page failed");
      return false;
    };
    dialog.init = [&](ProbeDialog& d) {
      page.CreateChild(d);
      page.ShowWindow(true);
    };
    std::thread user([&] {
      if (c.inInit) return;
      if (HWND shown = page.ready.Wait()) Click(shown, IDC_DETECT);
    });
    EXPECT_THROW(dialog.DoModal(), std::runtime_error) << c.what;
    user.join();
    EXPECT_EQ(page.Window(), nullptr) << c.what;
    EXPECT_NE(pageWindow, nullptr) << c.what;
    EXPECT_FALSE(IsWindow(pageWindow)) << c.what;
  }
}

// What the user typed reads as four numbers with blank fields as 0; what the kit writes
// reaches the fields themselves (Wine keeps a WM_SETTEXT text without filling the fields).
TEST(Win32KitPages, IpAddressTextIsItsFourFieldsWithBlanksReadingZero) {
  ui::win32::Win32Kit kit;
  ProbeDialog dialog(kit, IDD_INTERFACE_CONFIG);
  ProbeDialog page(kit, IDD_ETHERNET_PAGE);
  dialog.init = [&](ProbeDialog& d) {
    page.CreateChild(d);
    page.ShowWindow(true);
  };
  struct Case {
    const char* typed;   // by the user; nullptr: the kit sets `written`
    const char* written;
    const char* read;    // through the kit
    DWORD fields;        // IPM_GETADDRESS
    LRESULT nonBlank;
  } cases[] = {
      {"", nullptr, "0.0.0.0", 0, 0},
      {"172.16", nullptr, "172.16.0.0", MAKEIPADDRESS(172, 16, 0, 0), 2},
      {nullptr, "10.20.30.40", "10.20.30.40", MAKEIPADDRESS(10, 20, 30, 40), 4},
      {nullptr, "0.0.0.0", "0.0.0.0", 0, 4},
      {nullptr, "", "0.0.0.0", 0, 0},
      {nullptr, "10.1", "0.0.0.0", 0, 0},
      {nullptr, "10.1.2.300", "0.0.0.0", 0, 0},
  };
  std::vector<std::string> read;
  std::vector<std::pair<DWORD, LRESULT>> fields;
  size_t at = 0;
  dialog.command = [&](ProbeDialog&, int id, int) {
    if (id != IDC_INSTALL_PRINTER || at == std::size(cases)) return false;
    const Case& c = cases[at++];
    ui::IpAddress ip = page.GetIpAddress(IDC_IP_ADDRESS);
    if (c.written) ip.SetText(c.written);
    read.push_back(ip.GetText());
    DWORD address = 0xFFFFFFFF;
    HWND raw = Item(static_cast<HWND>(ui::win32::Win32Kit::WindowHandle(page)), IDC_IP_ADDRESS);
    const LRESULT nonBlank = SendMessageA(raw, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));
    fields.emplace_back(address, nonBlank);
    return true;
  };
  std::thread user([&] {
    HWND dlg = dialog.ready.Wait();
    HWND ip = dlg ? Item(page.ready.Wait(), IDC_IP_ADDRESS) : nullptr;
    ASSERT_NE(ip, nullptr);
    const DWORD uiThread = GetWindowThreadProcessId(dlg, nullptr);
    for (const Case& c : cases) {
      SendMessageA(ip, IPM_CLEARADDRESS, 0, 0);
      SendMessageA(ip, IPM_SETFOCUS, 0, 0);
      for (const char* key = c.typed; key && *key; ++key) {
        GUITHREADINFO focus{};
        focus.cbSize = sizeof(focus);
        GetGUIThreadInfo(uiThread, &focus);  // the field that has the focus: it moves on after "."
        SendMessageA(focus.hwndFocus, WM_CHAR, static_cast<WPARAM>(*key), 0);
      }
      SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_INSTALL_PRINTER, BN_CLICKED), 0);
    }
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  });
  dialog.DoModal();
  user.join();
  ASSERT_EQ(read.size(), std::size(cases));
  for (size_t i = 0; i < read.size(); ++i) {
    const Case& c = cases[i];
    const std::string what = std::string(c.typed ? "typed \"" : "set \"") + (c.typed ? c.typed : c.written) + "\"";
    EXPECT_EQ(read[i], c.read) << what;
    EXPECT_EQ(fields[i], std::make_pair(c.fields, c.nonBlank)) << what;
  }
}

TEST(Win32KitWaitCursor, NestedWaitsKeepTheHourglassUntilTheOutermostEnds) {
  ui::win32::Win32Kit kit;
  const HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW), wait = LoadCursorA(nullptr, IDC_WAIT);
  SetCursor(arrow);
  kit.BeginWaitCursor();
  EXPECT_EQ(GetCursor(), wait);
  {
    ui::WaitCursor inner(kit);
    EXPECT_EQ(GetCursor(), wait);
  }
  EXPECT_EQ(GetCursor(), wait) << "the inner end keeps the outer wait";
  kit.EndWaitCursor();
  EXPECT_EQ(GetCursor(), arrow);
  kit.EndWaitCursor();  // unbalanced: must not make the next wait's end a no-op
  kit.BeginWaitCursor();
  kit.EndWaitCursor();
  EXPECT_EQ(GetCursor(), arrow);

  // A mouse move over a dialog while its handler lets messages through keeps the hourglass.
  ProbeDialog dialog(kit, IDD_INTERFACE_CONFIG);
  HCURSOR afterMove = nullptr;
  dialog.command = [&](ProbeDialog& d, int id, int) {
    if (id != IDC_BACK) return false;
    HWND dlg = static_cast<HWND>(ui::win32::Win32Kit::WindowHandle(d));
    ui::WaitCursor busy(kit);
    SendMessageA(dlg, WM_SETCURSOR, reinterpret_cast<WPARAM>(dlg), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    afterMove = GetCursor();
    d.EndDialog(IDC_BACK);
    return true;
  };
  std::thread user([&] {
    if (HWND dlg = dialog.ready.Wait()) PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_BACK, BN_CLICKED), 0);
  });
  EXPECT_EQ(dialog.DoModal(), IDC_BACK);
  user.join();
  EXPECT_EQ(afterMove, wait);
}

}  // namespace

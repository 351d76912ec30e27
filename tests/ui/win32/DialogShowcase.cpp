// Not a check: shows the installer's dialogs as the program fills them, one state at a time,
// so a person can take screenshots and judge the layout. The model list is the distribution
// folder's catalog. Run it explicitly:
//   kvx_tests_win.exe --gtest_also_run_disabled_tests --gtest_filter=*Showcase*
// KVX_SHOWCASE_HOLD_MS: how long each state stays (default 1500); KVX_SHOWCASE_LANG=pt: Portuguese.
// Each state prints "showcase <name>" on stdout when it is on the screen.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <thread>
#include <utility>

#include "GuiTestSupport.h"
#include "app/CAboutDlg.h"
#include "app/CInstallationProgressDlg.h"
#include "app/CPickOSType.h"
#include "app/CPrinterModelDlg.h"
#include "platform/win32/Win32Platform.h"
#include "resource.h"
#include "ui/win32/Win32Kit.h"

using kvxtest::Click;
using kvxtest::DialogSpy;
using kvxtest::Item;
using kvxtest::ProbeDialog;

namespace {

DWORD HoldMs() {
  const char* value = std::getenv("KVX_SHOWCASE_HOLD_MS");
  return value ? static_cast<DWORD>(std::atoi(value)) : 1500;
}

void Hold(HWND window, const char* name) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  std::printf("showcase %s\n", name);
  std::fflush(stdout);
  HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  WaitForSingleObject(never, HoldMs());
  CloseHandle(never);
}

void UseRequestedLanguage() {
  const char* lang = std::getenv("KVX_SHOWCASE_LANG");
  if (lang && std::string(lang) == "pt") {
    const LANGID portuguese = MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN);
    SetThreadLocale(MAKELCID(portuguese, SORT_DEFAULT));
    SetThreadUILanguage(portuguese);
  }
}

void Fill(ui::ComboBox combo, std::initializer_list<const char*> entries) {
  for (const char* entry : entries) combo.AddString(entry);
  combo.SetCurSel(0);
}

// The interface dialog with its pages made as the program makes them, one page shown at a time.
void ShowInterfaceDialog(ui::Kit& kit) {
  ProbeDialog dialog(kit, IDD_INTERFACE_CONFIG);
  ProbeDialog ethernet(kit, IDD_ETHERNET_PAGE, &dialog), parallel(kit, IDD_PARALLEL_PAGE, &dialog),
      serial(kit, IDD_SERIAL_PAGE, &dialog), vcom(kit, IDD_USB_VCOM_PAGE, &dialog);
  const std::pair<int, ProbeDialog*> radios[] = {
      {IDC_IF_SERIAL, &serial}, {IDC_IF_PARALLEL, &parallel}, {IDC_IF_USB, &vcom}, {IDC_IF_ETHERNET, &ethernet}};
  dialog.init = [&](ProbeDialog& d) {
    const ui::Rect frame = d.GetControl(IDC_PAGE_FRAME).ClientRect();
    d.GetControl(IDC_PAGE_FRAME).Destroy();
    for (ProbeDialog* page : {&ethernet, &parallel, &serial, &vcom}) {
      page->CreateChild(d);
      page->MoveWindow(frame);
      page->ShowWindow(false);
    }
    Fill(serial.GetComboBox(IDC_PORT_COMBO), {"COM1:"});
    Fill(serial.GetComboBox(IDC_BAUD_COMBO), {"115200", "38400"});
    Fill(serial.GetComboBox(IDC_FLOW_COMBO), {"RTS/CTS", "DTR/DSR", "None"});
    Fill(parallel.GetComboBox(IDC_PORT_COMBO), {"LPT1:"});
    Fill(vcom.GetComboBox(IDC_VCOM_COMBO), {"COM3:"});
    ethernet.GetButton(IDC_ETHERNET_SETUP).Enable(false);
    d.GetButton(IDC_IF_SERIAL).SetCheck(ui::bst::Checked);
    serial.ShowWindow(true);
  };
  dialog.command = [&](ProbeDialog&, int id, int) {
    if (id < IDC_IF_SERIAL || id > IDC_IF_ETHERNET) return false;
    for (const auto& [radio, page] : radios) page->ShowWindow(radio == id);
    return true;
  };
  std::thread user([&] {
    HWND dlg = dialog.ready.Wait();
    if (!dlg) return;
    const char* names[] = {"149-serial", "149-parallel", "149-usb", "149-ethernet"};
    for (int i = 0; i < 4; ++i) {
      if (i > 0) Click(dlg, radios[i].first);
      Hold(dlg, names[i]);
    }
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
  });
  dialog.DoModal();
  user.join();
}

// The progress dialog three steps into a run, kept drawn the way the run keeps it: waiting in
// short slices and letting only paint messages through.
void ShowProgressDialog(AppContext& context, ui::win32::Win32Kit& kit) {
  CInstallationProgressDlg progress(context);
  if (!progress.CreateModeless(nullptr)) return;
  progress.ShowWindow(true);
  progress.ShowSteps(3);
  HWND hwnd = static_cast<HWND>(ui::win32::Win32Kit::WindowHandle(progress));
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread user([&] {
    Hold(hwnd, "153-step3");
    SetEvent(done);
  });
  while (WaitForSingleObject(done, 5) == WAIT_TIMEOUT) kit.PumpPaintMessages();
  user.join();
  CloseHandle(done);
}

// Runs one of the program's dialogs while `user` acts on its window once it is on the screen.
void ShowModal(ui::Dialog& dialog, const std::function<void(HWND)>& user) {
  DialogSpy shown;
  std::thread person([&] {
    if (HWND dlg = shown.Wait()) user(dlg);
  });
  dialog.DoModal();
  person.join();
}

// The program reads its catalog from the current directory, the distribution folder.
class InDistributionFolder {
public:
  InDistributionFolder() {
    GetCurrentDirectoryA(MAX_PATH, previous_);
    SetCurrentDirectoryA(KVX_DISTRIBUTION_DIR);
  }
  ~InDistributionFolder() { SetCurrentDirectoryA(previous_); }
  InDistributionFolder(const InDistributionFolder&) = delete;
  InDistributionFolder& operator=(const InDistributionFolder&) = delete;

private:
  char previous_[MAX_PATH] = {};
};

TEST(DialogShowcase, DISABLED_Showcase) {
  UseRequestedLanguage();
  const InDistributionFolder folder;
  ui::win32::Win32Kit kit;
  platform::win32::Win32Platform system;
  platform::Platform os = system.platform();
  AppContext context{os, kit};

  CPrinterModelDlg model(context);
  ShowModal(model, [](HWND dlg) {
    Hold(dlg, "148-basic");
    Click(dlg, IDC_ADVANCED);
    Hold(dlg, "148-advanced");
    Click(dlg, IDCANCEL);
  });
  CPickOSType pick(context);
  ShowModal(pick, [](HWND dlg) {
    Hold(dlg, "133");
    SendMessageA(Item(dlg, IDC_OS_COMBO), CB_SHOWDROPDOWN, TRUE, 0);
    Hold(dlg, "133-open");
    SendMessageA(Item(dlg, IDC_OS_COMBO), CB_SHOWDROPDOWN, FALSE, 0);
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
  });
  CAboutDlg about(context);
  ShowModal(about, [](HWND dlg) {
    Hold(dlg, "100");
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
  });
  ShowInterfaceDialog(kit);
  ShowProgressDialog(context, kit);
}

}  // namespace

// Message boxes, string tables and the message pump of the kit on real windows.
#include <gtest/gtest.h>

#include <thread>

#include "GuiTestSupport.h"
#include "resource.h"
#include "ui/Transcript.h"
#include "ui/win32/Win32Kit.h"

using kvxtest::DialogSpy;
using kvxtest::MessageBoxText;
using kvxtest::ProbeDialog;
using kvxtest::TextOf;

namespace {

TEST(Win32KitMessageBox, AnswerComesFromTheButtonTheUserPresses) {
  ui::win32::Win32Kit kit;
  ui::RecordingTranscript transcript;
  kit.SetTranscript(transcript);
  DialogSpy spy;
  HWND seenOwner = reinterpret_cast<HWND>(1);
  std::string caption, text;
  std::thread user([&] {
    HWND box = spy.Wait();
    ASSERT_NE(box, nullptr) << "no message box appeared";
    caption = TextOf(box);
    text = MessageBoxText(box);
    seenOwner = GetWindow(box, GW_OWNER);
    ASSERT_NE(GetDlgItem(box, IDNO), nullptr);
    SendMessageA(GetDlgItem(box, IDNO), BM_CLICK, 0, 0);
  });
  const int answer = kit.ShowMessageBox(nullptr, "Replace the printer?", "KvxInstaller",
                                        ui::mb::YesNo | ui::mb::IconQuestion);
  user.join();

  EXPECT_EQ(answer, ui::idres::No);
  EXPECT_EQ(caption, "KvxInstaller");
  EXPECT_EQ(text, "Replace the printer?");
  EXPECT_EQ(seenOwner, nullptr) << "no dialog runs, so nothing owns the box";
  ASSERT_EQ(transcript.lines.size(), 1u);
  EXPECT_EQ(transcript.lines[0], "message \"KvxInstaller\" \"Replace the printer?\" -> No");
}

TEST(Win32KitMessageBox, BoxOfARunningDialogIsOwnedByIt) {
  constexpr intptr_t kAnswered = 55;
  ui::win32::Win32Kit kit;
  ProbeDialog dialog(kit, IDD_INTERFACE_CONFIG);
  int answer = 0;
  dialog.command = [&](ProbeDialog& d, int id, int) {
    if (id != IDC_BACK) return false;
    DialogSpy spy;
    std::thread closer([&spy, &d] {
      HWND box = spy.Wait();
      if (!box) return;
      EXPECT_EQ(GetWindow(box, GW_OWNER), static_cast<HWND>(ui::win32::Win32Kit::WindowHandle(d)));
      SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    answer = d.ShowMessageBox("Printer installed.", "", ui::mb::Ok | ui::mb::IconInformation);
    d.EndDialog(kAnswered);
    closer.join();
    return true;
  };
  std::thread user([&] {
    HWND dlg = dialog.ready.Wait();
    // Posted: a sent command would hold this thread until the box is closed.
    if (dlg) PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_BACK, BN_CLICKED), 0);
  });
  EXPECT_EQ(dialog.DoModal(), kAnswered);
  user.join();
  EXPECT_EQ(answer, ui::idres::Ok);
}

TEST(Win32KitText, StringTableEntriesInTheUsersLanguage) {
  ui::win32::Win32Kit kit;
  EXPECT_EQ(kit.LoadText(IDS_ADVANCED), "Advanced");
  EXPECT_EQ(kit.LoadText(IDS_ABOUT_TITLE), "About TolvInstaller...");
  EXPECT_EQ(kit.LoadText(IDS_OS_TEXT),
            "Unfortunately, the application was not able to detect your OS type automatically, please select "
            "your type from the options below:");
  EXPECT_EQ(kit.LoadText(4711), "");
}

// A hidden window of this thread that counts what reaches it.
class CountingWindow {
public:
  CountingWindow() {
    WNDCLASSA cls{};
    cls.lpfnWndProc = &Proc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "KvxPumpCounter";
    RegisterClassA(&cls);
    hwnd_ = CreateWindowA("KvxPumpCounter", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, cls.hInstance, nullptr);
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&count_));
  }
  ~CountingWindow() { DestroyWindow(hwnd_); }
  HWND hwnd() const { return hwnd_; }
  int count() const { return count_; }

private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) ++*reinterpret_cast<int*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }
  HWND hwnd_;
  int count_ = 0;
};

TEST(Win32KitPump, DispatchesAtMostTwentyAndLosesNothing) {
  ui::win32::Win32Kit kit;
  CountingWindow window;
  MSG drain;
  while (PeekMessageA(&drain, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&drain);
  ASSERT_EQ(GetActiveWindow(), nullptr);

  for (int i = 0; i < 30; ++i) PostMessageA(window.hwnd(), WM_APP, 0, 0);
  EXPECT_TRUE(kit.PumpMessages()) << "more messages are waiting";
  EXPECT_EQ(window.count(), 20);
  EXPECT_FALSE(kit.PumpMessages());
  EXPECT_EQ(window.count(), 30) << "a message taken off the queue was not dispatched";
  EXPECT_FALSE(kit.PumpMessages());
}

TEST(Win32KitPump, ThreadWithoutWindowsReturnsAtOnce) {
  bool result = true;
  std::thread([&] {
    ui::win32::Win32Kit kit;
    result = kit.PumpMessages();
  }).join();
  EXPECT_FALSE(result);
}

}  // namespace

// The broadcast that tells every top-level window a printer's device mode changed.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/win32/Win32WindowMessages.h"
#include "WineHost.h"

namespace {

constexpr const char* kClass = "KvxBroadcastListener";

// What the listener windows heard, per thread.
thread_local std::vector<std::string> heard;

LRESULT CALLBACK Listen(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DEVMODECHANGE) {
    heard.emplace_back(reinterpret_cast<const char*>(lParam));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateListener() {
  static const ATOM atom = [] {
    WNDCLASSA cls{};
    cls.lpfnWndProc = Listen;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = kClass;
    return RegisterClassA(&cls);
  }();
  if (atom == 0) return nullptr;
  // Top-level and hidden: broadcasts reach it, nothing shows.
  return CreateWindowExA(0, kClass, "listener", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

TEST(Win32WindowMessages, TopLevelWindowsReceiveThePrinterName) {
  HWND listener = CreateListener();
  if (listener == nullptr) GTEST_SKIP() << "no window station to create windows in";
  heard.clear();
  platform::win32::Win32WindowMessages messages;
  EXPECT_EQ(messages.BroadcastTextMessageA(platform::wm::DevModeChange, "Kvx Broadcast Printer",
                                           platform::wm::SmtoNormal, 1000),
            platform::winerr::Success);
  DestroyWindow(listener);
  ASSERT_EQ(heard.size(), 1u);
  // Wine 8 hands the text of an ANSI broadcast to every window as if it were UTF-16, so an ANSI
  // window gets it converted back to question marks; sent to one window, it arrives intact.
  if (wine_host::UnderWine()) GTEST_SKIP() << "Wine mangles the text of an ANSI broadcast";
  EXPECT_EQ(heard[0], "Kvx Broadcast Printer");
}

// A UTF-16 broadcast reaches an ANSI window converted, on Windows and under Wine alike.
TEST(Win32WindowMessages, WideBroadcastReachesTopLevelWindows) {
  HWND listener = CreateListener();
  if (listener == nullptr) GTEST_SKIP() << "no window station to create windows in";
  heard.clear();
  platform::win32::Win32WindowMessages messages;
  EXPECT_EQ(messages.BroadcastTextMessageW(platform::wm::DevModeChange, u"Kvx Wide Printer", platform::wm::SmtoNormal,
                                           1000),
            platform::winerr::Success);
  DestroyWindow(listener);
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0], "Kvx Wide Printer");
}

// SetPaperForm broadcasts regardless of whether every window answered in time.
TEST(Win32WindowMessages, AWindowThatDoesNotAnswerDoesNotFailTheBroadcast) {
  HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE created = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  bool hasWindow = false;
  std::thread busy([&] {
    HWND listener = CreateListener();
    hasWindow = listener != nullptr;
    SetEvent(created);
    WaitForSingleObject(release, 30000);  // not pumping messages meanwhile
    if (listener) DestroyWindow(listener);
  });
  WaitForSingleObject(created, 30000);
  const std::string text = "Kvx Busy Printer";  // outlives the late delivery on the busy thread
  platform::DWORD result = 0xFFFFFFFF;
  if (hasWindow) {
    platform::win32::Win32WindowMessages messages;
    result = messages.BroadcastTextMessageA(platform::wm::DevModeChange, text, platform::wm::SmtoNormal, 200);
  }
  SetEvent(release);
  busy.join();
  CloseHandle(release);
  CloseHandle(created);
  if (!hasWindow) GTEST_SKIP() << "no window station to create windows in";
  EXPECT_EQ(result, platform::winerr::Success);
}

}  // namespace

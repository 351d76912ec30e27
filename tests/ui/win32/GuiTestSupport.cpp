#include "GuiTestSupport.h"

#include "ui/win32/Win32Kit.h"

namespace kvxtest {

WindowSignal::WindowSignal() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
WindowSignal::~WindowSignal() { CloseHandle(event_); }

void WindowSignal::Set(HWND window) {
  window_ = window;
  SetEvent(event_);
}

HWND WindowSignal::Wait(DWORD milliseconds) {
  return WaitForSingleObject(event_, milliseconds) == WAIT_OBJECT_0 ? window_.load() : nullptr;
}

namespace {
void CALLBACK WatchdogFired(HWND dialog, UINT, UINT_PTR, DWORD) { EndDialog(dialog, kWatchdogResult); }
}  // namespace

void ArmWatchdog(HWND dialog) { SetTimer(dialog, 0x4B56, kWatchdogMs, &WatchdogFired); }

bool ProbeDialog::OnInitDialog() {
  HWND hwnd = static_cast<HWND>(ui::win32::Win32Kit::WindowHandle(*this));
  ArmWatchdog(hwnd);
  if (init) init(*this);
  ready.Set(hwnd);
  return true;
}

void ProbeDialog::OnCommand(int id, int notifyCode) {
  commands.emplace_back(id, notifyCode);
  if (command && command(*this, id, notifyCode)) return;
  ui::Dialog::OnCommand(id, notifyCode);
}

intptr_t ProbeDialog::OnNotify(int id, int code) {
  notifications.emplace_back(id, code);
  return notify ? notify(*this, id, code) : 0;
}

DialogSpy* DialogSpy::active_ = nullptr;

DialogSpy::DialogSpy() : hook_(SetWindowsHookExA(WH_CBT, &Hook, nullptr, GetCurrentThreadId())) {
  active_ = this;
}

DialogSpy::~DialogSpy() {
  UnhookWindowsHookEx(hook_);
  active_ = nullptr;
}

LRESULT CALLBACK DialogSpy::Hook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && active_) {
    HWND window = reinterpret_cast<HWND>(wParam);
    if (!active_->seen_ && ClassOf(window) == "#32770") {
      active_->seen_ = true;
      active_->shown_.Set(window);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::string TextOf(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof(text));
  return text;
}

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof(name));
  return name;
}

// A named CALLBACK function rather than a lambda: 32-bit callbacks must be stdcall.
BOOL CALLBACK KeepLongestStatic(HWND child, LPARAM out) {
  auto& text = *reinterpret_cast<std::string*>(out);
  if (ClassOf(child) == "Static" && TextOf(child).size() > text.size()) text = TextOf(child);
  return TRUE;
}

std::string MessageBoxText(HWND box) {
  std::string longest;
  EnumChildWindows(box, KeepLongestStatic, reinterpret_cast<LPARAM>(&longest));
  return longest;
}

LONG StyleOf(HWND window) { return GetWindowLongA(window, GWL_STYLE); }
bool HasStyle(HWND window, LONG bits) { return (StyleOf(window) & bits) == bits; }
HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }
void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

}  // namespace kvxtest

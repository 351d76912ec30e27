#pragma once
// Helpers for the tests that drive real dialogs under Wine: the test's main thread runs the
// modal loop, a second thread plays the user with window messages. Every wait is bounded.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/Dialog.h"

namespace kvxtest {

constexpr DWORD kUserWaitMs = 10000;     // how long the user thread waits for a window
constexpr UINT kWatchdogMs = 20000;      // a dialog still open after this is ended by force
constexpr intptr_t kWatchdogResult = -77;

// One window handed from the UI thread to the user thread.
class WindowSignal {
public:
  WindowSignal();
  ~WindowSignal();
  WindowSignal(const WindowSignal&) = delete;
  WindowSignal& operator=(const WindowSignal&) = delete;

  void Set(HWND window);
  // The window, or nullptr when none was handed over in time.
  HWND Wait(DWORD milliseconds = kUserWaitMs);

private:
  HANDLE event_;
  std::atomic<HWND> window_{nullptr};
};

// Ends the dialog with kWatchdogResult if a test leaves it open, so no run can hang.
void ArmWatchdog(HWND dialog);

// A dialog on any template whose handlers a test supplies; records what reached it.
class ProbeDialog : public ui::Dialog {
public:
  ProbeDialog(ui::Kit& kit, int templateId, ui::Dialog* parent = nullptr) : ui::Dialog(kit, templateId, parent) {}

  std::function<void(ProbeDialog&)> init;
  std::function<bool(ProbeDialog&, int id, int code)> command;  // true: handled here
  std::function<intptr_t(ProbeDialog&, int id, int code)> notify;

  WindowSignal ready;  // set with the dialog's window once init has run
  std::vector<std::pair<int, int>> commands;
  std::vector<std::pair<int, int>> notifications;

  bool OnInitDialog() override;
  void OnCommand(int id, int notifyCode) override;
  intptr_t OnNotify(int id, int code) override;
};

// Reports the first dialog-class window (a dialog or a message box) that the calling (UI) thread
// activates while the spy exists.
class DialogSpy {
public:
  DialogSpy();
  ~DialogSpy();
  DialogSpy(const DialogSpy&) = delete;
  DialogSpy& operator=(const DialogSpy&) = delete;
  HWND Wait(DWORD milliseconds = kUserWaitMs) { return shown_.Wait(milliseconds); }

private:
  static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
  static DialogSpy* active_;
  HHOOK hook_;
  WindowSignal shown_;
  bool seen_ = false;
};

std::string TextOf(HWND window);
std::string ClassOf(HWND window);
// The message of a message box: its longest static text.
std::string MessageBoxText(HWND box);
LONG StyleOf(HWND window);
bool HasStyle(HWND window, LONG bits);
HWND Item(HWND dialog, int id);
// A click as the user makes it: the dialog's thread runs the button's own click handling.
void Click(HWND dialog, int id);

}  // namespace kvxtest

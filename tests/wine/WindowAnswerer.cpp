#include "tests/wine/WindowAnswerer.h"

#include <utility>

namespace {

constexpr DWORD kPollMs = 20;
constexpr int kCmb13 = 0x47C;  // an explorer-style file dialog's name field
constexpr int kEdt1 = 0x480;   // an old-style one's

std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

BOOL CALLBACK AddStaticText(HWND child, LPARAM out) {
  if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0) *reinterpret_cast<std::wstring*>(out) += TextOf(child);
  return TRUE;
}

// A message box's words: its static controls (the icon is one without text).
std::wstring StaticTexts(HWND dialog) {
  std::wstring joined;
  EnumChildWindows(dialog, AddStaticText, reinterpret_cast<LPARAM>(&joined));
  return joined;
}

void Press(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

}  // namespace

WindowAnswerer::WindowAnswerer(DWORD thread, std::wstring ignored, std::vector<Step> steps, DWORD stepTimeoutMs,
                               Snapshot snapshot)
    : thread_(thread), ignored_(std::move(ignored)), steps_(std::move(steps)), timeoutMs_(stepTimeoutMs),
      snapshot_(std::move(snapshot)), worker_([this] { Run(); }) {}

WindowAnswerer::~WindowAnswerer() { Finish(); }

std::vector<std::wstring> WindowAnswerer::Finish() {
  finishing_ = true;
  if (worker_.joinable()) worker_.join();
  return log_;
}

void WindowAnswerer::Note(std::wstring line) {
  std::lock_guard lock(mutex_);
  log_.push_back(std::move(line));
}

struct WindowAnswerer::Search {
  WindowAnswerer* self;
  const std::wstring* title;
  HWND found = nullptr;
};

BOOL CALLBACK WindowAnswerer::Visit(HWND window, LPARAM data) {
  auto& s = *reinterpret_cast<Search*>(data);
  if (!IsWindowVisible(window) || ClassOf(window) != L"#32770") return TRUE;
  const std::wstring caption = TextOf(window);
  if (s.title != nullptr && caption == *s.title) {
    s.found = window;
    return FALSE;
  }
  if (caption != s.self->ignored_) {
    s.self->Note(L"unexpected " + caption + L": " + StaticTexts(window));
    Press(window, IDCANCEL);
  }
  return TRUE;
}

// The visible dialog of that caption on the thread; any other but the ignored one is cancelled.
HWND WindowAnswerer::FindDialog(const std::wstring* title) {
  Search search{this, title};
  EnumThreadWindows(thread_, Visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void WindowAnswerer::Run() {
  for (const Step& step : steps_) {
    HWND dialog = nullptr;
    // Once the click has returned, no window can come any more.
    for (DWORD waited = 0; dialog == nullptr && !finishing_ && waited < timeoutMs_; waited += kPollMs) {
      dialog = FindDialog(&step.title);
      if (dialog == nullptr) Sleep(kPollMs);
    }
    if (dialog == nullptr) {
      Note(L"no window: " + step.title);
      break;
    }
    if (step.picture != nullptr && snapshot_) snapshot_(dialog, step.picture);
    if (step.fileName.empty()) {
      Note(step.title + L": " + StaticTexts(dialog));
    } else {
      HWND field = GetDlgItem(dialog, kCmb13);
      if (field == nullptr) field = GetDlgItem(dialog, kEdt1);
      SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(step.fileName.c_str()));
      Note(step.title + L": " + TextOf(field));
    }
    Press(dialog, IDOK);
    for (DWORD waited = 0; IsWindow(dialog) && waited < timeoutMs_; waited += kPollMs) Sleep(kPollMs);
  }
  // Until the click returns, nothing else may hold it up.
  while (!finishing_) {
    FindDialog(nullptr);
    Sleep(kPollMs);
  }
}

#define NOMINMAX
#include "ui/win32/Win32Kit.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <string>
#include <optional>
#include <utility>
#include <vector>

#include "ui/win32/DialogRouting.h"
#include "ui/win32/Win32Window.h"

namespace ui::win32 {

struct Win32Kit::ModalRun {
  Win32Kit& kit;
  Dialog& dialog;
  ModalRun* outer;
  HWND hwnd = nullptr;
  std::optional<Win32Window> window;
  std::exception_ptr failure;
};

namespace {

using ModalRun = Win32Kit::ModalRun;

constexpr int kProgramIconId = 128;

void InitCommonControlsOnce() {
  static std::once_flag once;
  std::call_once(once, [] {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_INTERNET_CLASSES};
    InitCommonControlsEx(&controls);
  });
}

void SetProgramIcons(HWND hwnd, HINSTANCE instance) {
  const struct {
    WPARAM which;
    int cx, cy;
  } sizes[] = {{ICON_BIG, SM_CXICON, SM_CYICON}, {ICON_SMALL, SM_CXSMICON, SM_CYSMICON}};
  for (const auto& size : sizes) {
    HANDLE icon = LoadImageA(instance, MAKEINTRESOURCEA(kProgramIconId), IMAGE_ICON, GetSystemMetrics(size.cx),
                             GetSystemMetrics(size.cy), LR_SHARED);
    if (icon) SendMessageA(hwnd, WM_SETICON, size.which, reinterpret_cast<LPARAM>(icon));
  }
}

// Exceptions must not unwind through the system's dialog manager: the first one ends the
// dialog and RunModal throws it again once DialogBoxParam has returned.
template <typename Handler>
INT_PTR Guarded(ModalRun& run, HWND hwnd, Handler handler) {
  try {
    return handler() ? TRUE : FALSE;
  } catch (...) {
    if (!run.failure) run.failure = std::current_exception();
    EndDialog(hwnd, -1);
    return TRUE;
  }
}

INT_PTR CALLBACK ModalProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto& run = *reinterpret_cast<ModalRun*>(lParam);
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    run.hwnd = hwnd;
    run.window.emplace(hwnd, run.kit.Instance(), run.kit.fonts());
    run.dialog.Attach(&*run.window);
    SetProgramIcons(hwnd, static_cast<HINSTANCE>(run.kit.Instance()));
    return Guarded(run, hwnd, [&] {
      const bool defaultFocus = run.dialog.DispatchInit();
      if (!run.failure) run.kit.transcript().Dialog(run.dialog.TemplateId(), run.window->Caption());
      return defaultFocus;
    });
  }
  auto* run = reinterpret_cast<ModalRun*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!run) return FALSE;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(hwnd, DWLP_USER, 0);
    run->dialog.Attach(nullptr);
    return FALSE;
  }
  if (run->failure) return FALSE;
  if (run->kit.HoldWaitCursor(hwnd, message)) return TRUE;
  return Guarded(*run, hwnd, [&] { return RouteDialogMessage(run->dialog, hwnd, message, wParam, lParam); });
}

}  // namespace

Win32Kit::Win32Kit(void* instance) : instance_(instance ? instance : GetModuleHandleA(nullptr)) {
  InitCommonControlsOnce();
}

Win32Kit::~Win32Kit() {
  for (auto& [page, window] : boundPages_)
    if (page->Window() == window.get()) page->Attach(nullptr);
}

void* Win32Kit::WindowHandle(const Dialog& dialog) {
  const auto* window = dynamic_cast<const Win32Window*>(dialog.Window());
  return window ? window->Handle() : nullptr;
}

void* Win32Kit::OwnerWindow(const Dialog* owner) const {
  if (owner) {
    if (void* hwnd = WindowHandle(*owner)) return hwnd;
  }
  return GetActiveWindow();
}

intptr_t Win32Kit::RunModal(Dialog& dialog) {
  ModalRun run{*this, dialog, innermost_, nullptr, std::nullopt, nullptr};
  innermost_ = &run;
  const INT_PTR result =
      DialogBoxParamA(static_cast<HINSTANCE>(instance_), MAKEINTRESOURCEA(dialog.TemplateId()),
                      static_cast<HWND>(OwnerWindow(dialog.Parent())), &ModalProc, reinterpret_cast<LPARAM>(&run));
  innermost_ = run.outer;
  dialog.Attach(nullptr);
  if (run.failure) std::rethrow_exception(run.failure);
  return result;
}

std::optional<std::u16string> Win32Kit::GetFileName(Dialog* owner, const FileDialogRequest& request) {
  static_assert(sizeof(wchar_t) == sizeof(char16_t));
  // "name\0pattern\0\0": one filter, the list's end marked by an empty name.
  std::u16string filter = request.filterName + u'\0' + request.filterPattern + u'\0' + u'\0';
  std::u16string file(std::max<std::size_t>(request.bufferUnits, 1), u'\0');
  request.initialName.copy(file.data(), std::min(request.initialName.size(), file.size() - 1));
  OPENFILENAMEW record{};
  record.lStructSize = sizeof(record);
  record.hwndOwner = owner ? static_cast<HWND>(WindowHandle(*owner)) : nullptr;
  record.lpstrFilter = reinterpret_cast<const wchar_t*>(filter.c_str());
  record.lpstrFile = reinterpret_cast<wchar_t*>(file.data());
  record.nMaxFile = static_cast<DWORD>(file.size());
  record.lpstrTitle = reinterpret_cast<const wchar_t*>(request.title.c_str());
  const BOOL chosen = request.save ? GetSaveFileNameW(&record) : GetOpenFileNameW(&record);
  std::optional<std::u16string> path;
  if (chosen) path = file.substr(0, std::char_traits<char16_t>::length(file.c_str()));
  transcript().FileDialog(request.title, path);
  return path;
}

void Win32Kit::BindPage(Dialog& page, void* window) {
  if (page.IsRunning()) throw std::logic_error("page " + std::to_string(page.TemplateId()) + " already has a window");
  auto& bound = boundPages_[&page];
  bound = std::make_unique<Win32Window>(window, instance_, fonts_);
  page.Attach(bound.get());
}

void Win32Kit::UnbindPage(Dialog& page) {
  auto it = boundPages_.find(&page);
  if (it == boundPages_.end()) return;
  if (page.Window() == it->second.get()) page.Attach(nullptr);
  boundPages_.erase(it);
}

void Win32Kit::DestroyParentWindow(Dialog& page) {
  if (HWND hwnd = static_cast<HWND>(WindowHandle(page))) ::DestroyWindow(GetParent(hwnd));
}

void Win32Kit::FailInnermostRun(std::exception_ptr failure) {
  if (!innermost_) {
    if (!strayFailure_) strayFailure_ = std::move(failure);
    return;
  }
  if (innermost_->failure) return;  // the first failure is the one reported
  innermost_->failure = std::move(failure);
  EndDialog(innermost_->hwnd, -1);
}

bool Win32Kit::InnermostRunFailed() const { return innermost_ ? innermost_->failure != nullptr : strayFailure_ != nullptr; }

int Win32Kit::ShowMessageBox(Dialog* owner, const std::string& text, const std::string& caption, unsigned type) {
  const int answer = MessageBoxA(static_cast<HWND>(OwnerWindow(owner)), text.c_str(), caption.c_str(), type);
  transcript().Message(caption, text, AnswerName(answer));
  return answer;
}

std::string Win32Kit::LoadText(int stringId) {
  // LoadStringA reports only what it copied: grow the buffer until the entry fits.
  std::vector<char> buffer(512);
  for (;;) {
    const int copied = LoadStringA(static_cast<HINSTANCE>(instance_), static_cast<UINT>(stringId), buffer.data(),
                                   static_cast<int>(buffer.size()));
    if (copied <= 0) return {};
    if (static_cast<std::size_t>(copied) + 1 < buffer.size() || buffer.size() >= 65536) {
      return std::string(buffer.data(), static_cast<std::size_t>(copied));
    }
    buffer.resize(buffer.size() * 4);
  }
}

bool Win32Kit::PumpMessages() {
  constexpr int kMaxDispatched = 20;
  HWND window = GetActiveWindow();  // nullptr: every window of this thread
  MSG msg;
  BOOL peeked = FALSE;
  for (int dispatched = 0; dispatched <= kMaxDispatched; ++dispatched) {
    // The 21st look only tells whether more is waiting; taking that message off the
    // queue without dispatching it would lose input.
    const UINT remove = dispatched < kMaxDispatched ? PM_REMOVE : PM_NOREMOVE;
    peeked = PeekMessageA(&msg, window, 0, 0, remove);
    if (peeked == 0 || peeked == -1 || dispatched == kMaxDispatched) break;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  RethrowStrayFailure();
  return peeked != 0 && peeked != -1;
}

// Input stays queued: the caller's windows are drawn but take no input meanwhile.
bool Win32Kit::PumpPaintMessages() {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE)) return false;
  if (!PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) return false;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  RethrowStrayFailure();
  return true;
}

void Win32Kit::RethrowStrayFailure() {
  if (!strayFailure_) return;
  std::exception_ptr failure = std::exchange(strayFailure_, nullptr);
  std::rethrow_exception(failure);
}

// The previous cursor comes back only when the outermost wait ends; each inner begin shows
// the hourglass again in case something replaced it meanwhile.
void Win32Kit::BeginWaitCursor() {
  HCURSOR previous = SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  if (waitDepth_++ == 0) cursorBeforeWait_ = previous;
}

void Win32Kit::EndWaitCursor() {
  if (waitDepth_ == 0) return;
  if (--waitDepth_ == 0) SetCursor(static_cast<HCURSOR>(cursorBeforeWait_));
}

// Without this, the next mouse move over a dialog would put the class cursor back while the
// handler still works and lets messages through.
bool Win32Kit::HoldWaitCursor(void* hwnd, unsigned message) const {
  if (message != WM_SETCURSOR || waitDepth_ == 0) return false;
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  SetWindowLongPtrA(static_cast<HWND>(hwnd), DWLP_MSGRESULT, TRUE);
  return true;
}

}  // namespace ui::win32

#define NOMINMAX
#include "ui/win32/Win32Window.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/WideText.h"

namespace ui::win32 {
namespace {

HWND H(void* handle) { return static_cast<HWND>(handle); }

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 text goes to the W functions as it is");
const wchar_t* W(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
wchar_t* W(std::u16string& text) { return reinterpret_cast<wchar_t*>(text.data()); }

// What a W message copied into a buffer of units: up to its terminator.
std::u16string UpToNul(std::u16string buffer) {
  buffer.resize(std::char_traits<char16_t>::length(buffer.c_str()));
  return buffer;
}

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthA(window);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  text.resize(static_cast<std::size_t>(GetWindowTextA(window, text.data(), length + 1)));
  return text;
}

bool IsIpAddressControl(HWND window) {
  char name[32] = {};
  GetClassNameA(window, name, sizeof(name));
  return lstrcmpiA(name, WC_IPADDRESSA) == 0;
}

// The IP address control's own messages rather than its window text: Wine's control keeps
// a text given with WM_SETTEXT without parsing it into the fields.
std::string IpAddressText(HWND control) {
  DWORD address = 0;
  SendMessageA(control, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&address));  // blank fields read 0
  char text[16];
  std::snprintf(text, sizeof(text), "%u.%u.%u.%u", static_cast<unsigned>(FIRST_IPADDRESS(address)),
                static_cast<unsigned>(SECOND_IPADDRESS(address)), static_cast<unsigned>(THIRD_IPADDRESS(address)),
                static_cast<unsigned>(FOURTH_IPADDRESS(address)));
  return text;
}

// Four numbers 0-255 set the fields; any other text leaves the control blank.
void SetIpAddressText(HWND control, const std::string& text) {
  unsigned a = 0, b = 0, c = 0, d = 0;
  char rest = 0;
  if (std::sscanf(text.c_str(), "%3u.%3u.%3u.%3u%c", &a, &b, &c, &d, &rest) == 4 && a < 256 && b < 256 && c < 256 &&
      d < 256) {
    SendMessageA(control, IPM_SETADDRESS, 0, static_cast<LPARAM>(MAKEIPADDRESS(a, b, c, d)));
  } else {
    SendMessageA(control, IPM_CLEARADDRESS, 0, 0);
  }
}

// A window's rectangle in the client coordinates of `reference` (nullptr: the screen).
Rect RectIn(HWND window, HWND reference) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

}  // namespace

Win32Window::Win32Window(void* hwnd, void* instance, FontStore& fonts) : hwnd_(hwnd), instance_(instance), fonts_(fonts) {}

void* Win32Window::Item(int id) const {
  HWND item = GetDlgItem(H(hwnd_), id);
  if (!item) {
    throw std::logic_error("dialog window has no control " + std::to_string(id));
  }
  return item;
}

intptr_t Win32Window::Send(int id, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) const {
  return SendMessageA(H(Item(id)), message, wParam, lParam);
}

intptr_t Win32Window::SendW(int id, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) const {
  return SendMessageW(H(Item(id)), message, wParam, lParam);
}

bool Win32Window::HasControl(int id) { return GetDlgItem(H(hwnd_), id) != nullptr; }

void Win32Window::SetText(int id, const std::string& text) {
  HWND item = H(Item(id));
  if (IsIpAddressControl(item)) {
    SetIpAddressText(item, text);
  } else {
    SetWindowTextA(item, text.c_str());
  }
}

std::string Win32Window::GetText(int id) {
  HWND item = H(Item(id));
  return IsIpAddressControl(item) ? IpAddressText(item) : WindowText(item);
}
void Win32Window::Enable(int id, bool enable) { EnableWindow(H(Item(id)), enable); }
bool Win32Window::IsEnabled(int id) { return IsWindowEnabled(H(Item(id))); }
void Win32Window::Show(int id, bool show) { ::ShowWindow(H(Item(id)), show ? SW_SHOW : SW_HIDE); }

// The control's own visibility: IsWindowVisible would also answer false for every
// control while the dialog itself is still hidden (during initialisation).
bool Win32Window::IsVisible(int id) { return (GetWindowLongA(H(Item(id)), GWL_STYLE) & WS_VISIBLE) != 0; }

void Win32Window::SetCheck(int id, int state) { Send(id, BM_SETCHECK, static_cast<WPARAM>(state), 0); }
int Win32Window::GetCheck(int id) { return static_cast<int>(Send(id, BM_GETCHECK, 0, 0)); }

int Win32Window::GetWidth(int id) {
  RECT rect{};
  GetWindowRect(H(Item(id)), &rect);
  return rect.right - rect.left;
}

void Win32Window::SetFont(int id, const FontSpec& font) {
  HWND item = H(Item(id));
  if (void* handle = fonts_.Create(font)) SendMessageA(item, WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
}

// WM_NEXTDLGCTL rather than SetFocus, so the dialog manager also moves the default button.
void Win32Window::SetFocus(int id) {
  SendMessageA(H(hwnd_), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
}

void Win32Window::IpSetFieldFocus(int id, int field) {
  SendMessageA(H(Item(id)), IPM_SETFOCUS, static_cast<WPARAM>(field), 0);
}

Rect Win32Window::GetControlRect(int id) { return RectIn(H(Item(id)), H(hwnd_)); }
void Win32Window::DestroyControl(int id) { DestroyWindow(H(Item(id))); }

int Win32Window::ListInsertColumn(int id, int column, const std::string& text, int width, int format) {
  LVCOLUMNA col{};
  col.mask = LVCF_FMT | LVCF_TEXT;
  col.fmt = format;
  col.pszText = const_cast<char*>(text.c_str());
  if (width != -1) {
    col.mask |= LVCF_WIDTH;
    col.cx = width;
  }
  return static_cast<int>(Send(id, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&col)));
}

void Win32Window::ListSetColumnWidth(int id, int column, int width) {
  Send(id, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0));
}

int Win32Window::ListInsertItem(int id, int index, const std::string& text) {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = const_cast<char*>(text.c_str());
  return static_cast<int>(Send(id, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

bool Win32Window::ListSetItemText(int id, int item, int subItem, const std::string& text) {
  LVITEMA lvItem{};
  lvItem.iSubItem = subItem;
  lvItem.pszText = const_cast<char*>(text.c_str());
  return Send(id, LVM_SETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvItem)) != 0;
}

int Win32Window::ListItemCount(int id) { return static_cast<int>(Send(id, LVM_GETITEMCOUNT, 0, 0)); }

std::string Win32Window::ListItemText(int id, int item, int subItem) {
  // The message reports only how much it copied, so grow the buffer until the text fits.
  std::vector<char> buffer(256);
  for (;;) {
    LVITEMA lvItem{};
    lvItem.iSubItem = subItem;
    lvItem.pszText = buffer.data();
    lvItem.cchTextMax = static_cast<int>(buffer.size());
    const auto copied = static_cast<std::size_t>(
        Send(id, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvItem)));
    if (copied + 1 < buffer.size() || buffer.size() >= 65536) return std::string(buffer.data(), copied);
    buffer.resize(buffer.size() * 4);
  }
}

void Win32Window::ListSetItemState(int id, int item, unsigned state, unsigned mask) {
  LVITEMA lvItem{};
  lvItem.state = state;
  lvItem.stateMask = mask;
  Send(id, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvItem));
}

unsigned Win32Window::ListItemState(int id, int item, unsigned mask) {
  return static_cast<unsigned>(Send(id, LVM_GETITEMSTATE, static_cast<WPARAM>(item), mask));
}

int Win32Window::ListNextItem(int id, int start, unsigned flags) {
  return static_cast<int>(Send(id, LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
}

void Win32Window::ListEnsureVisible(int id, int item) { Send(id, LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE); }
void Win32Window::ListDeleteAll(int id) { Send(id, LVM_DELETEALLITEMS, 0, 0); }

int Win32Window::ComboAddString(int id, const std::string& text) {
  return static_cast<int>(Send(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

int Win32Window::ComboCount(int id) { return static_cast<int>(Send(id, CB_GETCOUNT, 0, 0)); }
int Win32Window::ComboGetCurSel(int id) { return static_cast<int>(Send(id, CB_GETCURSEL, 0, 0)); }
void Win32Window::ComboSetCurSel(int id, int index) { Send(id, CB_SETCURSEL, static_cast<WPARAM>(index), 0); }

std::string Win32Window::ComboItemText(int id, int index) {
  const auto length = Send(id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const auto copied = Send(id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

void Win32Window::ComboReset(int id) { Send(id, CB_RESETCONTENT, 0, 0); }

void Win32Window::SetTextW(int id, const std::u16string& text) {
  HWND item = H(Item(id));
  if (IsIpAddressControl(item)) return SetIpAddressText(item, ToAnsi(text));
  SetWindowTextW(item, W(text));
}

std::u16string Win32Window::GetTextW(int id, std::size_t maxUnits) {
  HWND item = H(Item(id));
  if (maxUnits == 0) return {};
  if (IsIpAddressControl(item)) return ToWide(IpAddressText(item)).substr(0, maxUnits - 1);
  std::u16string buffer(maxUnits, u'\0');
  const int copied = GetWindowTextW(item, W(buffer), static_cast<int>(std::min<std::size_t>(maxUnits, INT_MAX)));
  buffer.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return buffer;
}

void Win32Window::ListAddExtendedStyle(int id, unsigned style) {
  SendW(id, LVM_SETEXTENDEDLISTVIEWSTYLE, style, static_cast<LPARAM>(style));  // the mask keeps the other styles
}

int Win32Window::ListInsertItemW(int id, int index, const std::u16string& text) {
  std::u16string copy = text;
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = W(copy);
  return static_cast<int>(SendW(id, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

bool Win32Window::ListSetItemTextW(int id, int item, int subItem, const std::u16string& text) {
  std::u16string copy = text;
  LVITEMW lvItem{};
  lvItem.iSubItem = subItem;
  lvItem.pszText = W(copy);
  return SendW(id, LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvItem)) != 0;
}

std::u16string Win32Window::ListItemTextW(int id, int item, int subItem, std::size_t maxUnits) {
  if (maxUnits == 0) return {};
  std::u16string buffer(maxUnits, u'\0');
  LVITEMW lvItem{};
  lvItem.iSubItem = subItem;
  lvItem.pszText = W(buffer);
  lvItem.cchTextMax = static_cast<int>(std::min<std::size_t>(maxUnits, INT_MAX));
  SendW(id, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lvItem));
  // The control may hand back its own buffer instead of filling ours.
  if (lvItem.pszText != W(buffer)) {
    if (!lvItem.pszText) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(lvItem.pszText)).substr(0, maxUnits - 1);
  }
  return UpToNul(std::move(buffer));
}

void Win32Window::ListSetSelectionMark(int id, int item) { SendW(id, LVM_SETSELECTIONMARK, 0, item); }
int Win32Window::ListGetSelectionMark(int id) { return static_cast<int>(SendW(id, LVM_GETSELECTIONMARK, 0, 0)); }

Point Win32Window::ListItemPosition(int id, int item) {
  POINT at{};
  SendW(id, LVM_GETITEMPOSITION, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&at));
  return {at.x, at.y};
}

void Win32Window::SendMouse(int id, MouseAction action, Point at) {
  const LPARAM where = MAKELPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y));
  switch (action) {
    case MouseAction::LeftDown: SendW(id, WM_LBUTTONDOWN, MK_LBUTTON, where); break;
    case MouseAction::MoveLeftHeld: SendW(id, WM_MOUSEMOVE, MK_LBUTTON, where); break;
    case MouseAction::LeftUp: SendW(id, WM_LBUTTONUP, 0, where); break;
  }
}

void Win32Window::SendSetFocus(int id) { SendW(id, WM_SETFOCUS, 0, 0); }
void Win32Window::Invalidate(int id) { InvalidateRect(H(Item(id)), nullptr, TRUE); }
void Win32Window::UpdateDialog() { UpdateWindow(H(hwnd_)); }

int Win32Window::ComboAddStringW(int id, const std::u16string& text) {
  return static_cast<int>(SendW(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(text))));
}

std::u16string Win32Window::ComboItemTextW(int id, int index) {
  const auto length = SendW(id, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length <= 0) return {};
  std::u16string text(static_cast<std::size_t>(length) + 1, u'\0');
  const auto copied = SendW(id, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(W(text)));
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

int Win32Window::ComboSelectStringW(int id, int startAfter, const std::u16string& prefix) {
  return static_cast<int>(
      SendW(id, CB_SELECTSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(W(prefix))));
}

void Win32Window::SetCaption(const std::string& caption) { SetWindowTextA(H(hwnd_), caption.c_str()); }
std::string Win32Window::Caption() { return WindowText(H(hwnd_)); }
void Win32Window::ShowWindow(bool show) { ::ShowWindow(H(hwnd_), show ? SW_SHOW : SW_HIDE); }
// The window's own visibility, as for controls: a page shown while its dialog is still
// being initialised (hidden) counts as shown.
bool Win32Window::IsWindowShown() { return (GetWindowLongA(H(hwnd_), GWL_STYLE) & WS_VISIBLE) != 0; }

void Win32Window::AttachMenu(int menuId) {
  HMENU menu = LoadMenuA(static_cast<HINSTANCE>(instance_), MAKEINTRESOURCEA(menuId));
  if (!menu) return;
  HMENU previous = GetMenu(H(hwnd_));
  SetMenu(H(hwnd_), menu);
  if (previous) DestroyMenu(previous);
}

void Win32Window::End(intptr_t result) { EndDialog(H(hwnd_), result); }

void Win32Window::MoveWindow(const Rect& rect, bool repaint) {
  ::MoveWindow(H(hwnd_), rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
}

// GA_PARENT, not GetParent: a top-level dialog's GetParent is its owner; its parent is the desktop.
Rect Win32Window::WindowRect() { return RectIn(H(hwnd_), GetAncestor(H(hwnd_), GA_PARENT)); }

}  // namespace ui::win32

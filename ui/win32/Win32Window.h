#pragma once
#include <cstdint>
#include <string>

#include "ui/Dialog.h"
#include "ui/win32/FontStore.h"

namespace ui::win32 {

// A dialog's window and its child controls, reached through window messages.
// Handles are void* so that this header stays free of <windows.h>.
class Win32Window : public DialogWindow {
public:
  // instance: the module whose resources hold the dialog's menus.
  Win32Window(void* hwnd, void* instance, FontStore& fonts);

  void* Handle() const { return hwnd_; }
  // Child window of a control; throws std::logic_error when the dialog has no such control.
  void* Item(int id) const;

  bool HasControl(int id) override;
  void SetText(int id, const std::string& text) override;
  std::string GetText(int id) override;
  void Enable(int id, bool enable) override;
  bool IsEnabled(int id) override;
  void Show(int id, bool show) override;
  bool IsVisible(int id) override;
  void SetCheck(int id, int state) override;
  int GetCheck(int id) override;
  int GetWidth(int id) override;
  void SetFont(int id, const FontSpec& font) override;
  void SetFocus(int id) override;
  void IpSetFieldFocus(int id, int field) override;
  Rect GetControlRect(int id) override;
  void DestroyControl(int id) override;

  int ListInsertColumn(int id, int column, const std::string& text, int width, int format) override;
  void ListSetColumnWidth(int id, int column, int width) override;
  int ListInsertItem(int id, int index, const std::string& text) override;
  bool ListSetItemText(int id, int item, int subItem, const std::string& text) override;
  int ListItemCount(int id) override;
  std::string ListItemText(int id, int item, int subItem) override;
  void ListSetItemState(int id, int item, unsigned state, unsigned mask) override;
  unsigned ListItemState(int id, int item, unsigned mask) override;
  int ListNextItem(int id, int start, unsigned flags) override;
  void ListEnsureVisible(int id, int item) override;
  void ListDeleteAll(int id) override;

  int ComboAddString(int id, const std::string& text) override;
  int ComboCount(int id) override;
  int ComboGetCurSel(int id) override;
  void ComboSetCurSel(int id, int index) override;
  std::string ComboItemText(int id, int index) override;
  void ComboReset(int id) override;

  void SetTextW(int id, const std::u16string& text) override;
  std::u16string GetTextW(int id, std::size_t maxUnits) override;
  void ListAddExtendedStyle(int id, unsigned style) override;
  int ListInsertItemW(int id, int index, const std::u16string& text) override;
  bool ListSetItemTextW(int id, int item, int subItem, const std::u16string& text) override;
  std::u16string ListItemTextW(int id, int item, int subItem, std::size_t maxUnits) override;
  void ListSetSelectionMark(int id, int item) override;
  int ListGetSelectionMark(int id) override;
  Point ListItemPosition(int id, int item) override;
  void SendMouse(int id, MouseAction action, Point at) override;
  void SendSetFocus(int id) override;
  void Invalidate(int id) override;
  void UpdateDialog() override;
  int ComboAddStringW(int id, const std::u16string& text) override;
  std::u16string ComboItemTextW(int id, int index) override;
  int ComboSelectStringW(int id, int startAfter, const std::u16string& prefix) override;

  void SetCaption(const std::string& caption) override;
  std::string Caption() override;
  void ShowWindow(bool show) override;
  bool IsWindowShown() override;
  void AttachMenu(int menuId) override;
  void End(intptr_t result) override;
  void MoveWindow(const Rect& rect, bool repaint) override;
  Rect WindowRect() override;

private:
  intptr_t Send(int id, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) const;
  intptr_t SendW(int id, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) const;

  void* hwnd_;
  void* instance_;
  FontStore& fonts_;
};

}  // namespace ui::win32

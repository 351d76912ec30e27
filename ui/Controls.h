#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace ui {

// LOGFONT fields that the dialogs set.
struct FontSpec {
  int height = 0;
  int width = 0;
  int escapement = 0;
  int orientation = 0;
  int weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  std::uint8_t charSet = 0;
  std::uint8_t outPrecision = 0;
  std::uint8_t clipPrecision = 0;
  std::uint8_t quality = 0;
  std::uint8_t pitchAndFamily = 0;
  std::string faceName;
};

// A rectangle in pixels (RECT).
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const Rect&) const = default;
};

// A point in pixels (POINT).
struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

namespace lvis {
constexpr unsigned Focused = 0x1;
constexpr unsigned Selected = 0x2;
}  // namespace lvis
namespace lvni {
constexpr unsigned All = 0x0;
constexpr unsigned Focused = 0x1;
constexpr unsigned Selected = 0x2;
}  // namespace lvni
namespace lvsex {
constexpr unsigned FullRowSelect = 0x20;  // LVS_EX_FULLROWSELECT
}  // namespace lvsex
namespace lvcfmt {
constexpr int Left = 0;
constexpr int Right = 1;
constexpr int Center = 2;
}  // namespace lvcfmt
namespace bst {
constexpr int Unchecked = 0;
constexpr int Checked = 1;
}  // namespace bst
namespace notify {
constexpr int Click = -2;     // NM_CLICK
constexpr int DblClick = -3;  // NM_DBLCLK
}  // namespace notify
namespace cmd {
constexpr int Clicked = 0;      // BN_CLICKED (also menu commands)
constexpr int SelChange = 1;    // CBN_SELCHANGE
constexpr int EditChange = 0x300;  // EN_CHANGE
constexpr int ComboEditChange = 5;  // CBN_EDITCHANGE
}  // namespace cmd

// Mouse messages a program sends to a control: WM_LBUTTONDOWN, WM_MOUSEMOVE with the left button
// held, WM_LBUTTONUP.
enum class MouseAction { LeftDown, MoveLeftHeld, LeftUp };

// A dialog's controls, addressed by id. Each backend implements it: in-memory controls
// (headless) or real child windows (win32). Indexes follow the Windows messages: -1 is "none".
class ControlPort {
public:
  virtual ~ControlPort() = default;

  virtual bool HasControl(int id) = 0;
  virtual void SetText(int id, const std::string& text) = 0;
  virtual std::string GetText(int id) = 0;
  virtual void Enable(int id, bool enable) = 0;
  virtual bool IsEnabled(int id) = 0;
  virtual void Show(int id, bool show) = 0;
  virtual bool IsVisible(int id) = 0;
  virtual void SetCheck(int id, int state) = 0;
  virtual int GetCheck(int id) = 0;
  virtual int GetWidth(int id) = 0;  // window width in pixels
  virtual void SetFont(int id, const FontSpec& font) = 0;
  virtual void SetFocus(int id) = 0;
  // IP address control: the focus goes to one of its four fields (0 first), IPM_SETFOCUS.
  virtual void IpSetFieldFocus(int id, int field) = 0;
  // The control's window rectangle in the dialog's client coordinates.
  virtual Rect GetControlRect(int id) = 0;
  // Destroys the control's window; the id is gone from the dialog afterwards.
  virtual void DestroyControl(int id) = 0;

  // List view (report style).
  virtual int ListInsertColumn(int id, int column, const std::string& text, int width, int format) = 0;
  virtual void ListSetColumnWidth(int id, int column, int width) = 0;
  virtual int ListInsertItem(int id, int index, const std::string& text) = 0;
  virtual bool ListSetItemText(int id, int item, int subItem, const std::string& text) = 0;
  virtual int ListItemCount(int id) = 0;
  virtual std::string ListItemText(int id, int item, int subItem) = 0;
  virtual void ListSetItemState(int id, int item, unsigned state, unsigned mask) = 0;  // item -1: all
  virtual unsigned ListItemState(int id, int item, unsigned mask) = 0;
  virtual int ListNextItem(int id, int start, unsigned flags) = 0;
  virtual void ListEnsureVisible(int id, int item) = 0;
  virtual void ListDeleteAll(int id) = 0;

  // Combo box (drop-down list).
  virtual int ComboAddString(int id, const std::string& text) = 0;
  virtual int ComboCount(int id) = 0;
  virtual int ComboGetCurSel(int id) = 0;
  virtual void ComboSetCurSel(int id, int index) = 0;
  virtual std::string ComboItemText(int id, int index) = 0;
  virtual void ComboReset(int id) = 0;

  // UTF-16 text ("W" messages). The 8-bit functions above see the same text in Windows-1252.
  virtual void SetTextW(int id, const std::u16string& text) = 0;
  // At most maxUnits - 1 code units, as a Windows buffer of maxUnits; a combo box: its edit field.
  virtual std::u16string GetTextW(int id, std::size_t maxUnits) = 0;
  virtual void ListAddExtendedStyle(int id, unsigned style) = 0;  // LVM_SETEXTENDEDLISTVIEWSTYLE
  virtual int ListInsertItemW(int id, int index, const std::u16string& text) = 0;
  virtual bool ListSetItemTextW(int id, int item, int subItem, const std::u16string& text) = 0;
  virtual std::u16string ListItemTextW(int id, int item, int subItem, std::size_t maxUnits) = 0;
  virtual void ListSetSelectionMark(int id, int item) = 0;
  virtual int ListGetSelectionMark(int id) = 0;  // -1 none
  virtual Point ListItemPosition(int id, int item) = 0;  // LVM_GETITEMPOSITION, the list's client coordinates
  // A mouse message at a point of the control's client area. Down and up on one row of a list
  // view is a click: the row becomes the only selected one, with the focus and the selection
  // mark, and the dialog gets NM_CLICK with that item.
  virtual void SendMouse(int id, MouseAction action, Point at) = 0;
  virtual void SendSetFocus(int id) = 0;  // WM_SETFOCUS to the control
  virtual void Invalidate(int id) = 0;    // InvalidateRect(control, all of it, erase)
  virtual void UpdateDialog() = 0;        // UpdateWindow(the dialog)
  virtual int ComboAddStringW(int id, const std::u16string& text) = 0;
  virtual std::u16string ComboItemTextW(int id, int index) = 0;
  // CB_SELECTSTRING: the first entry after startAfter (-1: from the top; the search wraps round)
  // that begins with prefix, case ignored; selects it and returns its index, or -1 (selection unchanged).
  virtual int ComboSelectStringW(int id, int startAfter, const std::u16string& prefix) = 0;
};

// Light handles on one control of a dialog, in the style of the framework's control classes.
class Control {
public:
  Control(ControlPort& port, int id) : port_(&port), id_(id) {}
  void SetText(const std::string& text) { port_->SetText(id_, text); }
  std::string GetText() const { return port_->GetText(id_); }
  void Enable(bool enable = true) { port_->Enable(id_, enable); }
  bool IsEnabled() const { return port_->IsEnabled(id_); }
  void Show(bool show = true) { port_->Show(id_, show); }
  bool IsVisible() const { return port_->IsVisible(id_); }
  void SetFont(const FontSpec& font) { port_->SetFont(id_, font); }
  int Width() const { return port_->GetWidth(id_); }
  void Focus() { port_->SetFocus(id_); }
  Rect ClientRect() const { return port_->GetControlRect(id_); }
  void Destroy() { port_->DestroyControl(id_); }
  void SetTextW(const std::u16string& text) { port_->SetTextW(id_, text); }
  std::u16string GetTextW(std::size_t maxUnits) const { return port_->GetTextW(id_, maxUnits); }
  void SendMouse(MouseAction action, Point at) { port_->SendMouse(id_, action, at); }
  void SendSetFocus() { port_->SendSetFocus(id_); }
  void Invalidate() { port_->Invalidate(id_); }

protected:
  ControlPort* port_;
  int id_;
};

class Button : public Control {
public:
  using Control::Control;
  void SetCheck(int state) { port_->SetCheck(id_, state); }
  int GetCheck() const { return port_->GetCheck(id_); }
  bool IsChecked() const { return GetCheck() == bst::Checked; }
};

class Static : public Control {
public:
  using Control::Control;
};

class Edit : public Control {
public:
  using Control::Control;
};

// IP address control: its text is "a.b.c.d", blank fields reading as 0 ("0.0.0.0" when all are blank).
class IpAddress : public Control {
public:
  using Control::Control;
  void FocusField(int field) { port_->IpSetFieldFocus(id_, field); }
};

class ListView : public Control {
public:
  using Control::Control;
  int InsertColumn(int column, const std::string& text, int width, int format = lvcfmt::Left) {
    return port_->ListInsertColumn(id_, column, text, width, format);
  }
  void SetColumnWidth(int column, int width) { port_->ListSetColumnWidth(id_, column, width); }
  int InsertItem(int index, const std::string& text) { return port_->ListInsertItem(id_, index, text); }
  bool SetItemText(int item, int subItem, const std::string& text) {
    return port_->ListSetItemText(id_, item, subItem, text);
  }
  int GetItemCount() const { return port_->ListItemCount(id_); }
  std::string GetItemText(int item, int subItem) const { return port_->ListItemText(id_, item, subItem); }
  void SetItemState(int item, unsigned state, unsigned mask) { port_->ListSetItemState(id_, item, state, mask); }
  unsigned GetItemState(int item, unsigned mask) const { return port_->ListItemState(id_, item, mask); }
  int GetNextItem(int start, unsigned flags) const { return port_->ListNextItem(id_, start, flags); }
  bool EnsureVisible(int item) {
    port_->ListEnsureVisible(id_, item);
    return true;
  }
  void DeleteAllItems() { port_->ListDeleteAll(id_); }
  void AddExtendedStyle(unsigned style) { port_->ListAddExtendedStyle(id_, style); }
  int InsertItemW(int index, const std::u16string& text) { return port_->ListInsertItemW(id_, index, text); }
  bool SetItemTextW(int item, int subItem, const std::u16string& text) {
    return port_->ListSetItemTextW(id_, item, subItem, text);
  }
  std::u16string GetItemTextW(int item, int subItem, std::size_t maxUnits) const {
    return port_->ListItemTextW(id_, item, subItem, maxUnits);
  }
  void SetSelectionMark(int item) { port_->ListSetSelectionMark(id_, item); }
  int GetSelectionMark() const { return port_->ListGetSelectionMark(id_); }
  Point GetItemPosition(int item) const { return port_->ListItemPosition(id_, item); }
};

class ComboBox : public Control {
public:
  using Control::Control;
  int AddString(const std::string& text) { return port_->ComboAddString(id_, text); }
  int GetCount() const { return port_->ComboCount(id_); }
  int GetCurSel() const { return port_->ComboGetCurSel(id_); }
  void SetCurSel(int index) { port_->ComboSetCurSel(id_, index); }
  std::string GetItemText(int index) const { return port_->ComboItemText(id_, index); }
  void ResetContent() { port_->ComboReset(id_); }
  int AddStringW(const std::u16string& text) { return port_->ComboAddStringW(id_, text); }
  std::u16string GetItemTextW(int index) const { return port_->ComboItemTextW(id_, index); }
  int SelectStringW(int startAfter, const std::u16string& prefix) {
    return port_->ComboSelectStringW(id_, startAfter, prefix);
  }
};

}  // namespace ui

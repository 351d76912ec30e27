#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/Dialog.h"
#include "ui/headless/HeadlessControl.h"
#include "ui/headless/ResourceSet.h"

namespace ui::headless {

// A dialog's window in memory: one control per template line, with the semantics of the
// Windows controls for what the dialogs use. A control id the template lacks is a
// programming error (std::logic_error), as is a list-view call on a button and the like.
class HeadlessWindow : public DialogWindow {
public:
  // kit: the kit that shows it, whose transcript it writes to; resources: where its menus come from.
  // host: the window a page is created in; null for a modal or modeless dialog.
  HeadlessWindow(Kit& kit, const LocalizedResources& resources, Dialog& dialog, const DialogTemplate& dialogTemplate,
                 HeadlessWindow* host = nullptr, bool modeless = false);
  // Pages go with their host, and their dialogs lose the window.
  ~HeadlessWindow() override;
  HeadlessWindow(const HeadlessWindow&) = delete;
  HeadlessWindow& operator=(const HeadlessWindow&) = delete;

  // DialogWindow.
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  std::string Caption() override { return caption_; }
  // While OnInitDialog runs, only the last request counts; the window appears after it.
  void ShowWindow(bool show) override;
  bool IsWindowShown() override { return shown_; }
  void AttachMenu(int menuId) override;
  void End(intptr_t result) override;
  void MoveWindow(const Rect& rect, bool) override { rect_ = rect; }
  Rect WindowRect() override { return rect_; }

  // ControlPort.
  bool HasControl(int id) override { return Find(id) != nullptr; }
  void SetText(int id, const std::string& text) override;
  std::string GetText(int id) override { return ToAnsi(At(id).text); }
  void Enable(int id, bool enable) override { At(id).enabled = enable; }
  bool IsEnabled(int id) override { return At(id).enabled; }
  void Show(int id, bool show) override { At(id).visible = show; }
  // The control's own WS_VISIBLE, as the Windows backend reads it, whether or not the dialog is shown.
  bool IsVisible(int id) override { return At(id).visible; }
  void SetCheck(int id, int state) override { Button(id).check = state; }
  int GetCheck(int id) override { return Button(id).check; }
  int GetWidth(int id) override { return At(id).width; }
  void SetFont(int id, const FontSpec& font) override { At(id).font = font; }
  void SetFocus(int id) override;
  void IpSetFieldFocus(int id, int field) override;
  Rect GetControlRect(int id) override { return At(id).rect; }
  void DestroyControl(int id) override;

  int ListInsertColumn(int id, int column, const std::string& text, int width, int format) override;
  void ListSetColumnWidth(int id, int column, int width) override;
  int ListInsertItem(int id, int index, const std::string& text) override;
  bool ListSetItemText(int id, int item, int subItem, const std::string& text) override;
  int ListItemCount(int id) override { return static_cast<int>(List(id).rows.size()); }
  std::string ListItemText(int id, int item, int subItem) override;
  void ListSetItemState(int id, int item, unsigned state, unsigned mask) override;
  unsigned ListItemState(int id, int item, unsigned mask) override;
  int ListNextItem(int id, int start, unsigned flags) override;
  void ListEnsureVisible(int id, int item) override;
  void ListDeleteAll(int id) override;

  int ComboAddString(int id, const std::string& text) override;
  int ComboCount(int id) override { return static_cast<int>(Combo(id).items.size()); }
  int ComboGetCurSel(int id) override { return Combo(id).curSel; }
  void ComboSetCurSel(int id, int index) override;
  std::string ComboItemText(int id, int index) override { return ToAnsi(ComboItemTextW(id, index)); }
  void ComboReset(int id) override;

  void SetTextW(int id, const std::u16string& text) override;
  std::u16string GetTextW(int id, std::size_t maxUnits) override;
  // The list hits full rows whatever its style (SendMouse): the list must exist, nothing else happens.
  void ListAddExtendedStyle(int id, unsigned) override { List(id); }
  int ListInsertItemW(int id, int index, const std::u16string& text) override;
  bool ListSetItemTextW(int id, int item, int subItem, const std::u16string& text) override;
  std::u16string ListItemTextW(int id, int item, int subItem, std::size_t maxUnits) override;
  void ListSetSelectionMark(int id, int item) override { List(id).selectionMark = item; }
  int ListGetSelectionMark(int id) override { return List(id).selectionMark; }
  // Report view: rows of kListRowHeight pixels below a header of kListHeaderHeight.
  Point ListItemPosition(int id, int item) override;
  // Modelled for list views (full-row hits): selection on the button going down, NM_CLICK on it
  // going up, with the row under the pointer then.
  void SendMouse(int id, MouseAction action, Point at) override;
  // Nothing to draw: the control must exist, nothing else happens.
  void SendSetFocus(int id) override { At(id); }
  void Invalidate(int id) override { At(id); }
  void UpdateDialog() override {}
  int ComboAddStringW(int id, const std::u16string& text) override;
  std::u16string ComboItemTextW(int id, int index) override;
  int ComboSelectStringW(int id, int startAfter, const std::u16string& prefix) override;

  static constexpr int kListHeaderHeight = 24;
  static constexpr int kListRowHeight = 17;

  // For the kit and the driver.
  void FinishInit();
  // A property-sheet page bound to this window: shown from the start, as the sheet shows its page.
  void ShowAsBoundPage();
  bool Ended() const { return ended_; }
  intptr_t Result() const { return result_; }
  Dialog& dialog() const { return dialog_; }
  Kit& kit() const { return kit_; }
  int TemplateId() const { return templateId_; }
  const MenuTemplate* Menu() const { return menu_; }
  // The control of this window with the keyboard focus; 0 when the focus is elsewhere. One
  // control of a dialog and its pages has it.
  int Focus() { return Root().focusOwner_ == this ? Root().focus_ : 0; }
  int FocusField() { return Root().focusOwner_ == this ? Root().focusField_ : -1; }
  HeadlessControl* Find(int id);
  HeadlessControl& At(int id);
  HeadlessControl& Button(int id);
  HeadlessControl& List(int id);
  HeadlessControl& Combo(int id);
  std::vector<HeadlessControl>& Controls() { return controls_; }
  HeadlessWindow* Host() const { return host_; }
  HeadlessWindow& AddPage(std::unique_ptr<HeadlessWindow> page);
  void DestroyPage(HeadlessWindow& page);
  HeadlessWindow* FindPage(int templateId) const;
  // Whether a person sees it: shown, and for a page, its host too.
  bool IsReallyShown() const { return shown_ && (!host_ || host_->IsReallyShown()); }
  HeadlessWindow& Root() { return host_ ? host_->Root() : *this; }

private:
  [[noreturn]] void Misuse(int id, const std::string& what) const;

  Kit& kit_;
  const LocalizedResources resources_;
  Dialog& dialog_;
  int templateId_;
  std::string caption_;
  std::vector<HeadlessControl> controls_;
  bool initializing_ = true;
  std::optional<bool> showRequest_;
  bool shown_ = false;
  bool ended_ = false;
  intptr_t result_ = 0;
  const MenuTemplate* menu_ = nullptr;
  int focus_ = 0;                         // kept by the root window
  int focusField_ = -1;                   // the focused IP address field, -1 when not set by IPM_SETFOCUS
  HeadlessWindow* focusOwner_ = nullptr;  // kept by the root window
  HeadlessWindow* host_;
  Rect rect_;
  std::vector<std::unique_ptr<HeadlessWindow>> pages_;
};

}  // namespace ui::headless

#pragma once
#include <cstdint>
#include <string>

#include "ui/Controls.h"
#include "ui/Kit.h"

namespace ui {

// The window side of a dialog, supplied by the backend while the dialog runs.
class DialogWindow : public ControlPort {
public:
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() = 0;
  virtual void ShowWindow(bool show) = 0;
  virtual bool IsWindowShown() = 0;
  virtual void AttachMenu(int menuId) = 0;
  virtual void End(intptr_t result) = 0;
  // Child pages: position in the parent's client coordinates.
  virtual void MoveWindow(const Rect& rect, bool repaint) = 0;
  virtual Rect WindowRect() = 0;
};

// Base of every dialog class: owns its behaviour, reaches controls through handles.
class Dialog {
public:
  Dialog(Kit& kit, int templateId, Dialog* parent = nullptr);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  intptr_t DoModal();
  void EndDialog(intptr_t result);
  // Creates this dialog's window as a page inside the running `parent` (a child dialog,
  // modeless) and runs OnInitDialog. The page's window goes with the parent's window, or
  // earlier with DestroyWindow or this object's destruction.
  bool CreateChild(Dialog& parent);
  // Creates this dialog's window as a modeless popup owned by `owner`'s window (unowned when
  // `owner` is null or has no window) and runs OnInitDialog. The window shows when the
  // template says so or on ShowWindow, takes no part in the modal loops, and goes with its
  // owner's window, or earlier with DestroyWindow or this object's destruction.
  bool CreateModeless(Dialog* owner);
  // Destroys a page's or a modeless dialog's window; does nothing for a modal dialog.
  void DestroyWindow();
  void MoveWindow(const Rect& rect, bool repaint = true);
  Rect WindowRect() const;

  int TemplateId() const { return templateId_; }
  Dialog* Parent() const { return parent_; }
  // The dialog a page was created in; null for a modal dialog.
  Dialog* Host() const { return host_; }
  bool IsModeless() const { return modeless_; }
  Kit& kit() const { return kit_; }
  bool IsRunning() const { return window_ != nullptr; }

  void SetCaption(const std::string& caption);
  std::string Caption() const;
  void ShowWindow(bool show);
  bool IsWindowShown() const;
  void AttachMenu(int menuId);
  void UpdateWindow();  // paints what is waiting to be painted, now
  int ShowMessageBox(const std::string& text, const std::string& caption, unsigned type);

  Control GetControl(int id) { return Control(port(), id); }
  Button GetButton(int id) { return Button(port(), id); }
  Static GetStatic(int id) { return Static(port(), id); }
  Edit GetEdit(int id) { return Edit(port(), id); }
  ListView GetListView(int id) { return ListView(port(), id); }
  ComboBox GetComboBox(int id) { return ComboBox(port(), id); }
  IpAddress GetIpAddress(int id) { return IpAddress(port(), id); }

  // Message handlers. Defaults: command 1 calls OnOK, command 2 calls OnCancel.
  virtual bool OnInitDialog();
  virtual void OnCommand(int id, int notifyCode);
  virtual intptr_t OnNotify(int id, int code);
  virtual void OnOK();
  virtual void OnCancel();

  // Called by the backends: binds the window and dispatches, absorbing UserException.
  void Attach(DialogWindow* window) { window_ = window; }
  DialogWindow* Window() const { return window_; }
  bool DispatchInit();
  void DispatchCommand(int id, int notifyCode);
  intptr_t DispatchNotify(int id, int code) { return DispatchNotify(id, code, -1); }
  // item: the row of a list view's click or item notification, -1 for others; OnNotify reads it
  // with NotifyItem().
  intptr_t DispatchNotify(int id, int code, int item);
  void DispatchClose();
  // NMITEMACTIVATE.iItem or NMLISTVIEW.iItem of the notification being handled; -1 otherwise.
  int NotifyItem() const { return notifyItem_; }

protected:
  ControlPort& port() const;

private:
  Kit& kit_;
  int templateId_;
  Dialog* parent_;
  Dialog* host_ = nullptr;
  bool modeless_ = false;
  DialogWindow* window_ = nullptr;
  int notifyItem_ = -1;
};

}  // namespace ui

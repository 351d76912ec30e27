#include "ui/Dialog.h"

#include <stdexcept>
#include <utility>

namespace ui {

Dialog::Dialog(Kit& kit, int templateId, Dialog* parent) : kit_(kit), templateId_(templateId), parent_(parent) {}

Dialog::~Dialog() {
  // A page's or modeless window must not outlive its object: it would call into a destroyed dialog.
  DestroyWindow();
  // Still running now: a page bound to someone else's window, which the kit must forget.
  if (window_) kit_.UnbindPage(*this);
}

intptr_t Dialog::DoModal() { return kit_.RunModal(*this); }

void Dialog::EndDialog(intptr_t result) {
  if (window_) window_->End(result);
}

bool Dialog::CreateChild(Dialog& parent) {
  if (!parent.IsRunning()) throw std::logic_error("page " + std::to_string(templateId_) + ": its parent has no window");
  if (window_) throw std::logic_error("page " + std::to_string(templateId_) + " already has a window");
  host_ = &parent;
  modeless_ = false;
  return kit_.CreateChild(*this, parent);
}

bool Dialog::CreateModeless(Dialog* owner) {
  if (window_) throw std::logic_error("dialog " + std::to_string(templateId_) + " already has a window");
  host_ = nullptr;
  modeless_ = true;
  return kit_.CreateModeless(*this, owner && owner->IsRunning() ? owner : nullptr);
}

void Dialog::DestroyWindow() {
  if (window_ && (host_ || modeless_)) kit_.DestroyWindow(*this);
}

void Dialog::MoveWindow(const Rect& rect, bool repaint) { static_cast<DialogWindow&>(port()).MoveWindow(rect, repaint); }
Rect Dialog::WindowRect() const { return static_cast<DialogWindow&>(port()).WindowRect(); }

ControlPort& Dialog::port() const {
  if (!window_) throw std::logic_error("dialog " + std::to_string(templateId_) + " has no window");
  return *window_;
}

void Dialog::SetCaption(const std::string& caption) { static_cast<DialogWindow&>(port()).SetCaption(caption); }
std::string Dialog::Caption() const { return static_cast<DialogWindow&>(port()).Caption(); }
void Dialog::ShowWindow(bool show) { static_cast<DialogWindow&>(port()).ShowWindow(show); }
bool Dialog::IsWindowShown() const { return window_ && window_->IsWindowShown(); }
void Dialog::AttachMenu(int menuId) { static_cast<DialogWindow&>(port()).AttachMenu(menuId); }
void Dialog::UpdateWindow() { port().UpdateDialog(); }

int Dialog::ShowMessageBox(const std::string& text, const std::string& caption, unsigned type) {
  return kit_.ShowMessageBox(this, text, caption, type);
}

bool Dialog::OnInitDialog() { return true; }

void Dialog::OnCommand(int id, int) {
  if (host_) return;  // OK and Cancel end the dialog a page lives in, never the page
  if (id == idres::Ok) OnOK();
  if (id == idres::Cancel) OnCancel();
}

intptr_t Dialog::OnNotify(int, int) { return 0; }
void Dialog::OnOK() { EndDialog(idres::Ok); }
void Dialog::OnCancel() { EndDialog(idres::Cancel); }

bool Dialog::DispatchInit() {
  try {
    return OnInitDialog();
  } catch (const UserException&) {
    return true;
  }
}

void Dialog::DispatchCommand(int id, int notifyCode) {
  try {
    OnCommand(id, notifyCode);
  } catch (const UserException&) {
  }
}

intptr_t Dialog::DispatchNotify(int id, int code, int item) {
  // Notifications nest (a handler's own messages notify again): the outer one keeps its item.
  struct ItemScope {
    int& current;
    int saved;
    ~ItemScope() { current = saved; }
  } scope{notifyItem_, std::exchange(notifyItem_, item)};
  try {
    return OnNotify(id, code);
  } catch (const UserException&) {
    return 0;
  }
}

void Dialog::DispatchClose() { DispatchCommand(idres::Cancel, cmd::Clicked); }

}  // namespace ui

#include "ui/headless/DialogDriver.h"

#include <stdexcept>

#include "ui/headless/HeadlessWindow.h"

namespace ui::headless {
namespace {

constexpr std::uint32_t kBsAuto3state = 0x6, kSsNotify = 0x100, kEsReadonly = 0x800;
constexpr std::uint32_t kCbsTypeMask = 0x3, kCbsDropdownlist = 0x3;
constexpr int kStnClicked = 0;

[[noreturn]] void Refuse(int templateId, int id, const std::string& why) {
  throw std::logic_error("dialog " + std::to_string(templateId) + ": control " + std::to_string(id) + " " + why);
}

const MenuItem* FindCommand(const std::vector<MenuItem>& items, int command) {
  for (const auto& item : items) {
    if (item.popup) {
      if (const MenuItem* found = FindCommand(item.items, command)) return found;
    } else if (item.command == command && command != 0) {
      return &item;
    }
  }
  return nullptr;
}

}  // namespace

DialogDriver::DialogDriver(InputFocus& focus, HeadlessWindow& window) : focus_(focus), window_(window) {}

void DialogDriver::Line(const std::string& line) {
  window_.kit().transcript().Line(line);
  focus_.UserActs(line);
}

void DialogDriver::RequireActive(const char* action) {
  std::string dialog = (window_.Host() ? "page " : "dialog ") + std::to_string(window_.TemplateId());
  if (!window_.IsReallyShown()) throw std::logic_error(dialog + " is not shown: a user cannot " + action);
  if (!focus_.AcceptsInput(window_.Root()))
    throw std::logic_error(dialog + " is behind another modal dialog: a user cannot " + action);
}

HeadlessControl& DialogDriver::Usable(int id, const char* action) {
  RequireActive(action);
  HeadlessControl& c = window_.At(id);
  std::string control = "dialog " + std::to_string(window_.TemplateId()) + ": control " + std::to_string(id);
  if (!c.visible) throw std::logic_error(control + " is hidden: a user cannot " + action);
  if (!c.enabled) throw std::logic_error(control + " is disabled: a user cannot " + action);
  return c;
}

void DialogDriver::Click(int id) {
  HeadlessControl& c = Usable(id, "click it");
  int notifyCode = cmd::Clicked;
  if (c.IsButton()) {
    switch (c.ButtonType()) {
      case style::GroupBox: Refuse(window_.TemplateId(), id, "is a group box, which does not react to clicks");
      case style::AutoCheckBox: c.check = c.check == bst::Checked ? bst::Unchecked : bst::Checked; break;
      case kBsAuto3state: c.check = (c.check + 1) % 3; break;
      case style::AutoRadioButton: {
        // Its group: from the nearest WS_GROUP control at or before it up to the next one.
        auto& controls = window_.Controls();
        std::size_t self = static_cast<std::size_t>(&c - controls.data());
        std::size_t first = self;
        while (first > 0 && !controls[first].StartsGroup()) --first;
        std::size_t last = self + 1;
        while (last < controls.size() && !controls[last].StartsGroup()) ++last;
        // Like GetNextDlgGroupItem, the unchecking passes over hidden and disabled buttons.
        for (std::size_t i = first; i < last; ++i) {
          HeadlessControl& other = controls[i];
          if (i != self && other.IsButton() && other.ButtonType() == style::AutoRadioButton && other.visible &&
              other.enabled)
            other.check = bst::Unchecked;
        }
        c.check = bst::Checked;
        break;
      }
      default: break;  // push buttons, plain check boxes and radio buttons, BS_3STATE
    }
  } else if (c.IsStatic() && (c.style & kSsNotify)) {
    notifyCode = kStnClicked;
  } else {
    Refuse(window_.TemplateId(), id, "is a " + c.className + ": use the action for that kind of control");
  }
  Line("user click " + std::to_string(id) + " " + Transcript::Quote(ToAnsi(c.text)));
  window_.dialog().DispatchCommand(id, notifyCode);
}

void DialogDriver::ClickListRow(int id, int row) {
  HeadlessControl& list = Usable(id, "click a row of it");
  if (!list.IsListView()) throw std::logic_error("control " + std::to_string(id) + " is not a list view");
  if (row < 0 || row >= static_cast<int>(list.rows.size()))
    throw std::logic_error("list " + std::to_string(id) + " has no row " + std::to_string(row));
  list.ClickRow(row);
  Line("user select " + std::to_string(id) + " row " + std::to_string(row) + " " +
       Transcript::Quote(ToAnsi(list.rows[static_cast<std::size_t>(row)].texts[0])));
  window_.dialog().DispatchNotify(id, notify::Click, row);
}

void DialogDriver::DoubleClickListRow(int id, int row) {
  ClickListRow(id, row);
  if (window_.Ended()) return;
  Line("user double-click " + std::to_string(id) + " row " + std::to_string(row));
  window_.dialog().DispatchNotify(id, notify::DblClick, row);
}

void DialogDriver::ClickListEmpty(int id) {
  HeadlessControl& list = Usable(id, "click it");
  if (!list.IsListView()) throw std::logic_error("control " + std::to_string(id) + " is not a list view");
  list.ClickRow(-1);
  Line("user click " + std::to_string(id) + " empty");
  window_.dialog().DispatchNotify(id, notify::Click, -1);
}

void DialogDriver::SelectCombo(int id, int index) {
  HeadlessControl& combo = Usable(id, "select in it");
  if (!combo.IsCombo()) throw std::logic_error("control " + std::to_string(id) + " is not a combo box");
  if (index < 0 || index >= static_cast<int>(combo.items.size()))
    throw std::logic_error("combo box " + std::to_string(id) + " has no item " + std::to_string(index));
  window_.ComboSetCurSel(id, index);
  Line("user select " + std::to_string(id) + " item " + std::to_string(index) + " " + Transcript::Quote(ToAnsi(combo.items[static_cast<std::size_t>(index)])));
  window_.dialog().DispatchCommand(id, cmd::SelChange);
}

void DialogDriver::Type(int id, const std::string& text) { TypeW(id, ToWide(text)); }

void DialogDriver::TypeW(int id, const std::u16string& text) {
  HeadlessControl& c = Usable(id, "type in it");
  int notifyCode = cmd::EditChange;
  if (c.IsEdit()) {
    if (c.style & kEsReadonly) throw std::logic_error("edit " + std::to_string(id) + " is read-only");
    c.text = text;
  } else if (c.IsCombo()) {
    if ((c.style & kCbsTypeMask) == kCbsDropdownlist)
      throw std::logic_error("combo box " + std::to_string(id) + " is a drop-down list: it has no edit field");
    c.text = text;
    c.curSel = -1;  // the typed text is not a choice from the list
    notifyCode = cmd::ComboEditChange;
  } else if (c.IsIpAddress()) {
    c.text = ToWide(IpAddressText(ToAnsi(text)));
  } else {
    throw std::logic_error("control " + std::to_string(id) + " is not an edit control");
  }
  Line("user type " + std::to_string(id) + " " + Transcript::Quote(ToAnsi(text)));
  window_.dialog().DispatchCommand(id, notifyCode);
}

DialogDriver DialogDriver::Page(int templateId) const {
  HeadlessWindow* page = window_.FindPage(templateId);
  if (!page)
    throw std::logic_error("dialog " + std::to_string(window_.TemplateId()) + " has no page " + std::to_string(templateId));
  return DialogDriver(focus_, *page);
}

void DialogDriver::Menu(int commandId) {
  RequireActive("use its menu");
  const MenuTemplate* menu = window_.Menu();
  if (!menu) throw std::logic_error("dialog " + std::to_string(window_.TemplateId()) + " has no menu");
  if (!FindCommand(menu->items, commandId))
    throw std::logic_error("menu " + std::to_string(menu->id) + " has no command " + std::to_string(commandId));
  Line("user menu " + std::to_string(commandId));
  window_.dialog().DispatchCommand(commandId, cmd::Clicked);
}

void DialogDriver::Close() {
  RequireActive("close it");
  Line("user close");
  window_.dialog().DispatchClose();
}

Dialog& DialogDriver::dialog() const { return window_.dialog(); }
int DialogDriver::TemplateId() const { return window_.TemplateId(); }
bool DialogDriver::IsRunning() const { return !window_.Root().Ended(); }
bool DialogDriver::IsShown() const { return window_.IsReallyShown(); }
std::string DialogDriver::Caption() const { return window_.Caption(); }
bool DialogDriver::HasControl(int id) const { return window_.Find(id) != nullptr; }
std::string DialogDriver::Text(int id) const { return ToAnsi(window_.At(id).text); }
std::u16string DialogDriver::TextW(int id) const { return window_.At(id).text; }
bool DialogDriver::IsEnabled(int id) const { return window_.At(id).enabled; }
bool DialogDriver::IsVisible(int id) const { return window_.At(id).visible; }
int DialogDriver::Check(int id) const { return window_.Button(id).check; }
bool DialogDriver::IsChecked(int id) const { return Check(id) == bst::Checked; }
int DialogDriver::Focus() const { return window_.Focus(); }
int DialogDriver::FocusedIpField() const { return window_.FocusField(); }
std::optional<FontSpec> DialogDriver::Font(int id) const { return window_.At(id).font; }

std::vector<std::string> DialogDriver::ListColumns(int id) const {
  std::vector<std::string> texts;
  for (const auto& c : window_.List(id).columns) texts.push_back(c.text);
  return texts;
}

std::vector<std::vector<std::string>> DialogDriver::ListRows(int id) const {
  std::vector<std::vector<std::string>> rows;
  for (const auto& r : window_.List(id).rows) {
    auto& texts = rows.emplace_back();
    for (const auto& t : r.texts) texts.push_back(ToAnsi(t));
  }
  return rows;
}

std::vector<std::vector<std::u16string>> DialogDriver::ListRowsW(int id) const {
  std::vector<std::vector<std::u16string>> rows;
  for (const auto& r : window_.List(id).rows) rows.push_back(r.texts);
  return rows;
}

std::vector<std::string> DialogDriver::ListRow(int id, int row) const {
  const auto& rows = window_.List(id).rows;
  if (row < 0 || row >= static_cast<int>(rows.size()))
    throw std::logic_error("list " + std::to_string(id) + " has no row " + std::to_string(row));
  std::vector<std::string> texts;
  for (const auto& t : rows[static_cast<std::size_t>(row)].texts) texts.push_back(ToAnsi(t));
  return texts;
}

std::vector<int> DialogDriver::SelectedRows(int id) const {
  std::vector<int> selected;
  const auto& rows = window_.List(id).rows;
  for (int i = 0; i < static_cast<int>(rows.size()); ++i)
    if (rows[i].state & lvis::Selected) selected.push_back(i);
  return selected;
}

int DialogDriver::FocusedRow(int id) const {
  const auto& rows = window_.List(id).rows;
  for (int i = 0; i < static_cast<int>(rows.size()); ++i)
    if (rows[i].state & lvis::Focused) return i;
  return -1;
}

int DialogDriver::EnsuredVisibleRow(int id) const { return window_.List(id).ensuredVisible; }
int DialogDriver::SelectionMark(int id) const { return window_.List(id).selectionMark; }

std::vector<std::string> DialogDriver::ComboItems(int id) const {
  std::vector<std::string> items;
  for (const auto& item : window_.Combo(id).items) items.push_back(ToAnsi(item));
  return items;
}

int DialogDriver::ComboSelection(int id) const { return window_.Combo(id).curSel; }

}  // namespace ui::headless

#include "ui/headless/HeadlessWindow.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "platform/CaseFolding.h"

namespace ui::headless {
namespace {

constexpr std::uint32_t kLvsSinglesel = 0x4, kLvsSortascending = 0x10, kLvsSortdescending = 0x20;
constexpr std::uint32_t kCbsSort = 0x100;

// Sorted lists and combo boxes compare without regard to case, as does the combo box's search.
bool LessNoCase(const std::u16string& a, const std::u16string& b) { return platform::CompareNoCase(a, b) < 0; }

// What a Windows buffer of maxUnits receives: the text cut to maxUnits - 1 units and a terminator.
std::u16string Truncated(const std::u16string& text, std::size_t maxUnits) {
  return maxUnits == 0 ? std::u16string() : text.substr(0, maxUnits - 1);
}

constexpr std::size_t kUnlimited = static_cast<std::size_t>(-1);

}  // namespace

std::string IpAddressText(const std::string& typed) {
  std::string text;
  std::size_t start = 0;
  for (int field = 0; field < 4; ++field) {
    const std::size_t dot = start <= typed.size() ? typed.find('.', start) : std::string::npos;
    std::string digits;
    if (start <= typed.size()) {
      for (char c : typed.substr(start, dot == std::string::npos ? std::string::npos : dot - start))
        if (std::isdigit(static_cast<unsigned char>(c)) && digits.size() < 3) digits += c;
    }
    const int value = digits.empty() ? 0 : std::min(std::stoi(digits), 255);
    text += (field ? "." : "") + std::to_string(value);
    start = dot == std::string::npos ? typed.size() + 1 : dot + 1;
  }
  return text;
}

HeadlessWindow::HeadlessWindow(Kit& kit, const LocalizedResources& resources, Dialog& dialog,
                               const DialogTemplate& dialogTemplate, HeadlessWindow* host, bool modeless)
    : kit_(kit),
      resources_(resources),
      dialog_(dialog),
      templateId_(dialogTemplate.id),
      caption_(dialogTemplate.caption),
      host_(host),
      rect_{dialogTemplate.x * 3 / 2, dialogTemplate.y * 13 / 8, (dialogTemplate.x + dialogTemplate.cx) * 3 / 2,
            (dialogTemplate.y + dialogTemplate.cy) * 13 / 8} {
  controls_.reserve(dialogTemplate.controls.size());
  for (const auto& c : dialogTemplate.controls) {
    controls_.emplace_back(c);
    if (controls_.back().IsIpAddress()) controls_.back().text = ToWide(IpAddressText(c.text));
  }
  // A page or a modeless dialog is visible from the start only when its template says so;
  // the modal loop shows its dialog anyway.
  if (host_ || modeless) showRequest_ = (dialogTemplate.style & style::Visible) != 0;
}

HeadlessWindow::~HeadlessWindow() {
  for (auto& page : pages_)
    if (page->dialog().Window() == page.get()) page->dialog().Attach(nullptr);
}

HeadlessWindow& HeadlessWindow::AddPage(std::unique_ptr<HeadlessWindow> page) {
  pages_.push_back(std::move(page));
  return *pages_.back();
}

void HeadlessWindow::DestroyPage(HeadlessWindow& page) {
  for (auto it = pages_.begin(); it != pages_.end(); ++it) {
    if (it->get() != &page) continue;
    if (page.dialog().Window() == &page) page.dialog().Attach(nullptr);
    if (Root().focusOwner_ == &page) Root().focusOwner_ = nullptr;
    pages_.erase(it);
    return;
  }
}

HeadlessWindow* HeadlessWindow::FindPage(int templateId) const {
  for (const auto& page : pages_)
    if (page->TemplateId() == templateId) return page.get();
  return nullptr;
}

void HeadlessWindow::DestroyControl(int id) {
  At(id);
  std::erase_if(controls_, [id](const HeadlessControl& c) { return c.id == id; });
  if (Focus() == id) Root().focusOwner_ = nullptr;
}

void HeadlessWindow::Misuse(int id, const std::string& what) const {
  throw std::logic_error("dialog " + std::to_string(templateId_) + ": control " + std::to_string(id) + " " + what);
}

HeadlessControl* HeadlessWindow::Find(int id) {
  for (auto& c : controls_)
    if (c.id == id) return &c;
  return nullptr;
}

HeadlessControl& HeadlessWindow::At(int id) {
  if (HeadlessControl* c = Find(id)) return *c;
  Misuse(id, "does not exist in the template");
}

HeadlessControl& HeadlessWindow::Button(int id) {
  HeadlessControl& c = At(id);
  if (!c.IsButton()) Misuse(id, "is a " + c.className + ", not a button");
  return c;
}

HeadlessControl& HeadlessWindow::List(int id) {
  HeadlessControl& c = At(id);
  if (!c.IsListView()) Misuse(id, "is a " + c.className + ", not a list view");
  return c;
}

HeadlessControl& HeadlessWindow::Combo(int id) {
  HeadlessControl& c = At(id);
  if (!c.IsCombo()) Misuse(id, "is a " + c.className + ", not a combo box");
  return c;
}

void HeadlessWindow::ShowWindow(bool show) {
  if (initializing_) {
    showRequest_ = show;
  } else if (host_) {
    shown_ = show;  // a page is part of its dialog: no transcript line of its own
  } else if (!show) {
    shown_ = false;
  } else if (!shown_ && !ended_) {
    shown_ = true;
    kit_.transcript().Dialog(templateId_, caption_);
  }
}

void HeadlessWindow::FinishInit() {
  initializing_ = false;
  if (host_) {
    shown_ = showRequest_.value_or(false);
    return;
  }
  if (!ended_ && showRequest_.value_or(true)) {
    shown_ = true;
    kit_.transcript().Dialog(templateId_, caption_);
  }
}

void HeadlessWindow::AttachMenu(int menuId) {
  menu_ = resources_.FindMenu(menuId);
  if (!menu_)
    throw std::logic_error("dialog " + std::to_string(templateId_) + ": there is no menu " + std::to_string(menuId));
}

void HeadlessWindow::End(intptr_t result) {
  // The window stays usable until the modal loop returns, as after EndDialog.
  ended_ = true;
  result_ = result;
  shown_ = false;
}

void HeadlessWindow::SetText(int id, const std::string& text) { SetTextW(id, ToWide(text)); }

void HeadlessWindow::SetTextW(int id, const std::u16string& text) {
  HeadlessControl& c = At(id);
  c.text = c.IsIpAddress() ? ToWide(IpAddressText(ToAnsi(text))) : text;
}

std::u16string HeadlessWindow::GetTextW(int id, std::size_t maxUnits) { return Truncated(At(id).text, maxUnits); }

void HeadlessWindow::ShowAsBoundPage() {
  initializing_ = false;
  shown_ = true;
}

void HeadlessWindow::SetFocus(int id) {
  At(id);
  HeadlessWindow& root = Root();
  root.focus_ = id;
  root.focusField_ = -1;
  root.focusOwner_ = this;
}

void HeadlessWindow::IpSetFieldFocus(int id, int field) {
  if (!At(id).IsIpAddress()) throw std::logic_error("IPM_SETFOCUS to a control that is not an IP address control");
  SetFocus(id);
  Root().focusField_ = field;
}

int HeadlessWindow::ListInsertColumn(int id, int column, const std::string& text, int width, int format) {
  auto& columns = List(id).columns;
  if (column < 0) return -1;
  auto at = std::min<std::size_t>(static_cast<std::size_t>(column), columns.size());
  columns.insert(columns.begin() + static_cast<std::ptrdiff_t>(at), ListColumn{text, width, format});
  return static_cast<int>(at);
}

void HeadlessWindow::ListSetColumnWidth(int id, int column, int width) {
  auto& columns = List(id).columns;
  if (column >= 0 && column < static_cast<int>(columns.size())) columns[column].width = width;
}

int HeadlessWindow::ListInsertItem(int id, int index, const std::string& text) {
  return ListInsertItemW(id, index, ToWide(text));
}

int HeadlessWindow::ListInsertItemW(int id, int index, const std::u16string& text) {
  HeadlessControl& list = List(id);
  auto& rows = list.rows;
  if (index < 0) return -1;
  auto at = std::min<std::size_t>(static_cast<std::size_t>(index), rows.size());
  if (list.style & kLvsSortascending)
    at = static_cast<std::size_t>(
        std::upper_bound(rows.begin(), rows.end(), text,
                         [](const std::u16string& t, const ListRow& r) { return LessNoCase(t, r.texts[0]); }) -
        rows.begin());
  else if (list.style & kLvsSortdescending)
    at = static_cast<std::size_t>(
        std::upper_bound(rows.begin(), rows.end(), text,
                         [](const std::u16string& t, const ListRow& r) { return LessNoCase(r.texts[0], t); }) -
        rows.begin());
  rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), ListRow{{text}, 0});
  // The mark stays on its row.
  if (list.selectionMark >= static_cast<int>(at)) ++list.selectionMark;
  return static_cast<int>(at);
}

bool HeadlessWindow::ListSetItemText(int id, int item, int subItem, const std::string& text) {
  return ListSetItemTextW(id, item, subItem, ToWide(text));
}

bool HeadlessWindow::ListSetItemTextW(int id, int item, int subItem, const std::u16string& text) {
  auto& rows = List(id).rows;
  if (item < 0 || item >= static_cast<int>(rows.size()) || subItem < 0) return false;
  auto& texts = rows[static_cast<std::size_t>(item)].texts;
  if (subItem >= static_cast<int>(texts.size())) texts.resize(static_cast<std::size_t>(subItem) + 1);
  texts[static_cast<std::size_t>(subItem)] = text;
  return true;
}

std::string HeadlessWindow::ListItemText(int id, int item, int subItem) {
  return ToAnsi(ListItemTextW(id, item, subItem, kUnlimited));
}

std::u16string HeadlessWindow::ListItemTextW(int id, int item, int subItem, std::size_t maxUnits) {
  auto& rows = List(id).rows;
  if (item < 0 || item >= static_cast<int>(rows.size()) || subItem < 0) return {};
  auto& texts = rows[static_cast<std::size_t>(item)].texts;
  if (subItem >= static_cast<int>(texts.size())) return {};
  return Truncated(texts[static_cast<std::size_t>(subItem)], maxUnits);
}

Point HeadlessWindow::ListItemPosition(int id, int item) {
  HeadlessControl& list = List(id);
  if (item < 0 || item >= static_cast<int>(list.rows.size())) return {};
  return {0, kListHeaderHeight + item * kListRowHeight};
}

void HeadlessWindow::SendMouse(int id, MouseAction action, Point at) {
  HeadlessControl& list = List(id);
  const int rowCount = static_cast<int>(list.rows.size());
  const int width = list.rect.right - list.rect.left;
  int row = -1;
  if (at.x >= 0 && at.x < width && at.y >= kListHeaderHeight) {
    row = (at.y - kListHeaderHeight) / kListRowHeight;
    if (row >= rowCount) row = -1;
  }
  switch (action) {
    case MouseAction::LeftDown:
      list.ClickRow(row);
      list.pressedRow = row;
      break;
    case MouseAction::MoveLeftHeld: break;  // no drag: the pointer is not followed
    case MouseAction::LeftUp:
      if (list.pressedRow == -2) return;  // no click without the button going down first
      list.pressedRow = -2;
      dialog_.DispatchNotify(id, notify::Click, row);
      break;
  }
}

void HeadlessWindow::ListSetItemState(int id, int item, unsigned state, unsigned mask) {
  HeadlessControl& list = List(id);
  auto& rows = list.rows;
  bool single = (list.style & kLvsSinglesel) != 0;
  if (item == -1) {
    // A single-selection list refuses to select everything.
    if (single && (state & mask & lvis::Selected)) return;
    for (auto& r : rows) r.state = (r.state & ~mask) | (state & mask);
    return;
  }
  if (item < 0 || item >= static_cast<int>(rows.size())) return;
  unsigned set = state & mask;
  // Only one item has the focus, and only one is selected in a single-selection list.
  for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
    if (i == item) continue;
    if (set & lvis::Focused) rows[i].state &= ~lvis::Focused;
    if (single && (set & lvis::Selected)) rows[i].state &= ~lvis::Selected;
  }
  rows[item].state = (rows[item].state & ~mask) | set;
}

unsigned HeadlessWindow::ListItemState(int id, int item, unsigned mask) {
  auto& rows = List(id).rows;
  if (item < 0 || item >= static_cast<int>(rows.size())) return 0;
  return rows[item].state & mask;
}

int HeadlessWindow::ListNextItem(int id, int start, unsigned flags) {
  auto& rows = List(id).rows;
  unsigned wanted = flags & (lvni::Selected | lvni::Focused);
  for (int i = std::max(start + 1, 0); i < static_cast<int>(rows.size()); ++i)
    if ((rows[i].state & wanted) == wanted) return i;
  return -1;
}

void HeadlessWindow::ListEnsureVisible(int id, int item) {
  HeadlessControl& list = List(id);
  if (item >= 0 && item < static_cast<int>(list.rows.size())) list.ensuredVisible = item;
}

void HeadlessWindow::ListDeleteAll(int id) {
  HeadlessControl& list = List(id);
  list.rows.clear();
  list.ensuredVisible = -1;
  list.selectionMark = -1;
  list.pressedRow = -2;
}

int HeadlessWindow::ComboAddString(int id, const std::string& text) { return ComboAddStringW(id, ToWide(text)); }

int HeadlessWindow::ComboAddStringW(int id, const std::u16string& text) {
  HeadlessControl& combo = Combo(id);
  auto& items = combo.items;
  std::size_t at = items.size();
  if (combo.style & kCbsSort)
    at = static_cast<std::size_t>(std::upper_bound(items.begin(), items.end(), text, LessNoCase) - items.begin());
  items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), text);
  if (combo.curSel >= static_cast<int>(at)) ++combo.curSel;  // the same item stays selected
  return static_cast<int>(at);
}

void HeadlessWindow::ComboSetCurSel(int id, int index) {
  HeadlessControl& combo = Combo(id);
  bool valid = index >= 0 && index < static_cast<int>(combo.items.size());
  combo.curSel = valid ? index : -1;
  // The selection field shows the selected item.
  combo.text = valid ? combo.items[static_cast<std::size_t>(index)] : std::u16string();
}

std::u16string HeadlessWindow::ComboItemTextW(int id, int index) {
  HeadlessControl& combo = Combo(id);
  if (index < 0 || index >= static_cast<int>(combo.items.size())) return {};
  return combo.items[static_cast<std::size_t>(index)];
}

int HeadlessWindow::ComboSelectStringW(int id, int startAfter, const std::u16string& prefix) {
  HeadlessControl& combo = Combo(id);
  const int count = static_cast<int>(combo.items.size());
  const int start = startAfter < 0 || startAfter >= count ? -1 : startAfter;
  for (int k = 1; k <= count; ++k) {
    const int i = (start + k) % count;
    if (platform::StartsWithNoCase(combo.items[static_cast<std::size_t>(i)], prefix)) {
      ComboSetCurSel(id, i);
      return i;
    }
  }
  return -1;
}

void HeadlessWindow::ComboReset(int id) {
  HeadlessControl& combo = Combo(id);
  combo.items.clear();
  combo.curSel = -1;
  combo.text.clear();
}

}  // namespace ui::headless

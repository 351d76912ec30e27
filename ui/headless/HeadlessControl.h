#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/WideText.h"
#include "ui/headless/ResourceSet.h"

namespace ui::headless {

struct ListColumn {
  std::string text;
  int width = 0;
  int format = lvcfmt::Left;
};

struct ListRow {
  std::vector<std::u16string> texts;  // [0] is the item, then the sub-items
  unsigned state = 0;              // lvis bits
};

// The state of one in-memory control, created from its template line.
// How an IP address control shows a text: four dot-separated fields of at most 3 digits and
// at most 255, a blank or missing field reading 0.
std::string IpAddressText(const std::string& typed);

struct HeadlessControl {
  explicit HeadlessControl(const ControlTemplate& t)
      : id(t.id),
        className(t.className),
        style(t.style),
        exStyle(t.exStyle),
        width(t.cx * 3 / 2),
        rect{t.x * 3 / 2, t.y * 13 / 8, (t.x + t.cx) * 3 / 2, (t.y + t.cy) * 13 / 8},
        text(ToWide(t.text)),
        visible((t.style & style::Visible) != 0),
        enabled((t.style & style::Disabled) == 0) {}

  bool IsButton() const { return className == "BUTTON"; }
  std::uint32_t ButtonType() const { return style & style::ButtonTypeMask; }
  bool IsListView() const { return className == "SysListView32"; }
  bool IsCombo() const { return className == "COMBOBOX"; }
  bool IsEdit() const { return className == "EDIT"; }
  bool IsStatic() const { return className == "STATIC"; }
  bool IsIpAddress() const { return className == "SysIPAddress32"; }
  bool StartsGroup() const { return (style & style::Group) != 0; }
  // A click on a list row: it alone is selected, with the focus and the selection mark; -1, the
  // empty area: nothing stays selected.
  void ClickRow(int row) {
    for (auto& r : rows) r.state &= row < 0 ? ~lvis::Selected : ~(lvis::Selected | lvis::Focused);
    if (row < 0) return;
    rows[static_cast<std::size_t>(row)].state |= lvis::Selected | lvis::Focused;
    selectionMark = row;
  }

  int id;
  std::string className;
  std::uint32_t style;
  std::uint32_t exStyle;
  int width;  // pixels
  Rect rect;  // pixels, in the dialog's client coordinates (dialog units of the 8-point shell font)
  std::u16string text;  // the 8-bit functions see it in Windows-1252
  bool visible;
  bool enabled;
  int check = bst::Unchecked;
  std::optional<FontSpec> font;

  std::vector<ListColumn> columns;
  std::vector<ListRow> rows;
  int ensuredVisible = -1;  // last row EnsureVisible was asked for
  int selectionMark = -1;
  int pressedRow = -2;  // the row under the last left-button-down (-1: none); -2 when the button is up

  std::vector<std::u16string> items;  // combo box
  int curSel = -1;
};

}  // namespace ui::headless

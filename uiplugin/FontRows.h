#pragma once
// The font list's rows computed from the substitution table, and the table rebuilt from the rows.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace uiplugin {

constexpr std::size_t MaxRowTextUnits = 49;

struct FontRow {
  std::u16string family;      // column 0
  std::u16string deviceFont;  // column 1
  bool operator==(const FontRow&) const = default;
};

// One row per family, in the given order: its name (at most 49 units) and `forced` when given,
// otherwise LookupDeviceFont(family, textForm). The table is indexed once, so the cost grows with
// families plus pairs rather than their product.
std::vector<FontRow> ComputeFontRows(const std::vector<std::u16string>& families, std::u16string_view textForm,
                                     std::optional<std::u16string_view> forced = std::nullopt);

// The text form of the rows that substitute, top to bottom; " " when none does.
std::u16string TextFormOfRows(const std::vector<FontRow>& rows);

}  // namespace uiplugin

#include "uiplugin/FontRows.h"

#include <unordered_map>

#include "uiplugin/DeviceFonts.h"
#include "uiplugin/SubstitutionTable.h"

namespace uiplugin {

std::vector<FontRow> ComputeFontRows(const std::vector<std::u16string>& families, std::u16string_view textForm,
                                     std::optional<std::u16string_view> forced) {
  // Family -> device font entry of its first pair, as LookupDeviceFont's scan would find it.
  std::unordered_map<std::u16string_view, std::u16string_view> firstPair;
  if (!forced) {
    ForEachPair(textForm, [&](std::u16string_view family, std::u16string_view deviceFont) {
      firstPair.try_emplace(family, deviceFont);
      return true;
    });
  }
  std::vector<FontRow> rows;
  rows.reserve(families.size());
  for (const std::u16string& family : families) {
    std::u16string_view deviceFont;
    if (forced) {
      deviceFont = *forced;
    } else {
      const auto pair = firstPair.find(family);
      deviceFont = KnownDeviceFont(pair == firstPair.end() ? std::u16string_view{} : pair->second);
    }
    rows.push_back({family.substr(0, MaxRowTextUnits), std::u16string(deviceFont)});
  }
  return rows;
}

std::u16string TextFormOfRows(const std::vector<FontRow>& rows) {
  std::u16string text;
  for (const FontRow& row : rows) {
    // Containing the words is enough to count as no substitution.
    if (row.deviceFont.find(NoSubstitution()) != std::u16string::npos) continue;
    if (!text.empty()) text += TableSeparator;
    text += row.family;
    text += TableSeparator;
    text += row.deviceFont;
  }
  return text.empty() ? std::u16string(EmptyTableText) : text;
}

}  // namespace uiplugin

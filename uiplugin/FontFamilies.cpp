#include "uiplugin/FontFamilies.h"

#include <algorithm>
#include <unordered_set>

namespace uiplugin {

std::vector<std::u16string> CollectTrueTypeFamilies(platform::Fonts& fonts) {
  std::vector<std::u16string> families;
  std::unordered_set<std::u16string> seen;
  for (const platform::FontFamily& family : fonts.EnumScreenFontFamilies()) {
    if ((family.fontType & platform::fonttype::TrueType) == 0) continue;
    std::u16string name = family.faceName.substr(0, MaxFamilyUnits);
    if (!name.empty() && name.front() == u'@') continue;
    if (seen.insert(name).second) families.push_back(std::move(name));
  }
  return families;
}

void SortFamilies(std::vector<std::u16string>& families) {
  // char16_t is unsigned, and the string comparison puts a prefix first.
  std::sort(families.begin(), families.end());
}

}  // namespace uiplugin

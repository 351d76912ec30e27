#pragma once
// The TrueType font families installed on the machine, as the font list shows them.
#include <string>
#include <vector>

#include "platform/Fonts.h"

namespace uiplugin {

constexpr std::size_t MaxFamilyUnits = 30;

// The screen's families with the TrueType bit, each cut to its first 30 units and listed once, in the
// enumeration's order; names beginning with '@' (the vertical variants) are left out.
std::vector<std::u16string> CollectTrueTypeFamilies(platform::Fonts& fonts);

// Ascending by code units as unsigned 16-bit numbers; a prefix comes before the longer name.
void SortFamilies(std::vector<std::u16string>& families);

}  // namespace uiplugin

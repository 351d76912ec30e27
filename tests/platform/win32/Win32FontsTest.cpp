// The screen's font families as EnumFontFamiliesW reports them.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/win32/Win32Fonts.h"

namespace {

TEST(Win32Fonts, ScreenFamiliesHaveFacesAndKnownTypes) {
  platform::win32::Win32Fonts fonts;
  const auto families = fonts.EnumScreenFontFamilies();
  ASSERT_FALSE(families.empty()) << "no screen device context or no fonts installed";
  for (const platform::FontFamily& family : families) {
    EXPECT_FALSE(family.faceName.empty());
    EXPECT_LE(family.faceName.size(), 31u) << "lfFaceName holds 31 units and its NUL";
    EXPECT_EQ(family.faceName.find(u'\0'), std::u16string::npos);
    EXPECT_EQ(family.fontType & ~7u, 0u);
  }
  EXPECT_TRUE(std::any_of(families.begin(), families.end(),
                          [](const auto& f) { return (f.fontType & platform::fonttype::TrueType) != 0; }));
}

}  // namespace

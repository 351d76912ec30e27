// The screen's font families of the simulated machine: machine.json's list, or the default one.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include <nlohmann/json.hpp>

#include "platform/sim/SimMachine.h"

namespace {

using platform::FontFamily;
namespace fonttype = platform::fonttype;

struct FontsCase {
  const char* label;
  nlohmann::ordered_json fonts;  // null: no "fonts" member
  std::vector<FontFamily> expected;
};

TEST(SimFontsTest, FamiliesComeFromTheMachineInItsOrder) {
  const std::vector<FontsCase> table = {
      {"given list",
       nlohmann::ordered_json::parse(R"([{"face": "Zeta Sans", "type": 4}, {"face": "@Zeta Sans", "type": 4},
                                         {"face": "alpha", "type": 1}, {"face": "Dev", "type": 6}])"),
       {{u"Zeta Sans", fonttype::TrueType}, {u"@Zeta Sans", fonttype::TrueType}, {u"alpha", fonttype::Raster},
        {u"Dev", fonttype::Device | fonttype::TrueType}}},
      {"names beyond one code page", nlohmann::ordered_json::parse(R"([{"face": "Ming \u4e2d \ud83d\ude00", "type": 4}])"),
       {{u"Ming \u4e2d \U0001F600", fonttype::TrueType}}},
      {"empty list", nlohmann::ordered_json::array(), {}},
  };
  for (const FontsCase& c : table) {
    SCOPED_TRACE(c.label);
    auto machine = platform::sim::SimMachine::InMemory();
    machine->document()["fonts"] = c.fonts;
    EXPECT_EQ(machine->platform().fonts.EnumScreenFontFamilies(), c.expected);
  }
}

// What a font page needs from a machine nobody set up: TrueType and raster families, and a
// vertical "@" variant of a TrueType family.
TEST(SimFontsTest, DefaultMachineHasAWindowsLikeMix) {
  const auto families = platform::sim::SimMachine::InMemory()->platform().fonts.EnumScreenFontFamilies();
  std::set<std::u16string> trueType, names;
  for (const FontFamily& f : families) {
    names.insert(f.faceName);
    if (f.fontType & fonttype::TrueType) trueType.insert(f.faceName);
  }
  EXPECT_EQ(names.size(), families.size()) << "each family once";
  EXPECT_GT(std::count_if(families.begin(), families.end(), [](const auto& f) { return f.fontType == fonttype::Raster; }), 0);
  const auto vertical = std::find_if(families.begin(), families.end(), [](const auto& f) { return f.faceName[0] == u'@'; });
  ASSERT_NE(vertical, families.end());
  EXPECT_TRUE(trueType.count(vertical->faceName.substr(1))) << "the @ family stands beside its TrueType family";
  EXPECT_FALSE(std::is_sorted(families.begin(), families.end(),
                              [](const auto& a, const auto& b) { return a.faceName < b.faceName; }))
      << "an enumeration is not sorted";
}

}  // namespace

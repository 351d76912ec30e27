// The stored substitution table read back within its value's bounds, and the font list's rows from one
// index per fill agreeing with a scan of the table per family.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/uiplugin/PluginTestSupport.h"
#include "uiplugin/DeviceFonts.h"
#include "uiplugin/FontFamilies.h"
#include "uiplugin/FontRows.h"
#include "uiplugin/SubstitutionTable.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using plugintest::PluginTest;

using plugintest::Utf16;

Bytes Plus(Bytes bytes, std::initializer_list<std::uint8_t> more) {
  bytes.insert(bytes.end(), more);
  return bytes;
}

using FontTableTest = PluginTest;

TEST_F(FontTableTest, StoredTableIsReadWithinItsValue) {
  const std::u16string longest(uiplugin::MaxTableUnits, u'x');
  struct Row {
    const char* what;
    std::optional<Bytes> stored;  // none: no such value
    std::u16string text;
  } rows[] = {
      {"pairs", Utf16(std::u16string(u"Arial\0FontA11\0Times\0control\0\0", 30)), u"Arial\nFontA11\nTimes\ncontrol"},
      {"a table without pairs", Utf16(std::u16string(u" \0\0", 3)), u" "},
      {"no value", std::nullopt, u""},
      {"an empty value", Bytes{}, u""},
      {"a pair of NULs first", Utf16(std::u16string(u"\0\0Arial\0", 8)), u""},
      {"a single NUL first", Utf16(std::u16string(u"\0Arial\0\0", 8)), u"\nArial"},
      {"one closing NUL", Utf16(std::u16string(u"Arial\0FontA11\0", 14)), u"Arial\nFontA11"},
      {"no closing NUL", Utf16(std::u16string(u"Arial\0FontA11", 13)), u"Arial\nFontA11"},
      {"no NUL at all", Utf16(u"Arial"), u"Arial"},
      {"odd length after a NUL", Plus(Utf16(std::u16string(u"Ab\0", 3)), {'C'}), u"Ab"},
      {"odd length without NUL", Plus(Utf16(u"Ab"), {'C'}), u"Ab"},
      {"a full buffer without NUL", Utf16(longest + u'y'), longest},
      {"larger than the buffer", Utf16(longest + u"yz"), u""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<platform::sim::PrinterDataValue> data;
    // As binary the machine hands the bytes back as they are, odd lengths too; the reader ignores the type.
    if (row.stored) data.push_back({"TTFontSubTable", platform::regtype::Binary, *row.stored});
    const platform::RawPrinterHandle printer = OpenPrinterWithData(row.what, data);
    const std::u16string text = uiplugin::LoadSubstitutionTable(p.spooler, printer);
    EXPECT_TRUE(text == row.text) << "read " << text.size() << " units, expected " << row.text.size();
  }
}

// Whatever a save writes loads back whole: 3,000 families of the longest name, each row back as saved,
// and a table of exactly the limit both sides apply. One unit more is refused, and the stored table stays.
TEST_F(FontTableTest, WhatASaveWritesLoadsBack) {
  std::vector<std::u16string> families;
  std::vector<uiplugin::FontRow> rows;
  for (std::size_t i = 0; i < 3000; ++i) {
    const std::string number = std::to_string(10000 + i);
    std::u16string family(uiplugin::MaxFamilyUnits, u'x');
    std::copy(number.begin(), number.end(), family.begin());
    families.push_back(family);
    rows.push_back({family, std::u16string(uiplugin::DeviceFontName(1 + i % (uiplugin::DeviceFontCount - 1)))});
  }
  const std::u16string manyFamilies = uiplugin::TextFormOfRows(rows);
  const std::u16string largest(uiplugin::MaxTableUnits - 1, u'x');  // with its two NULs: the limit exactly
  const std::u16string before = u"Arial\nFontA11";
  const struct {
    const char* what;
    std::u16string text;
    uiplugin::TableSave result;
    std::u16string loaded;
  } cases[] = {
      {"3,000 families", manyFamilies, uiplugin::TableSave::Written, manyFamilies},
      {"the largest table", largest, uiplugin::TableSave::Written, largest},
      {"one unit more", largest + u'x', uiplugin::TableSave::TooLarge, before},
  };
  for (const auto& row : cases) {
    SCOPED_TRACE(row.what);
    OpenPrinterWithData(row.what, {{"TTFontSubTable", platform::regtype::Binary, uiplugin::StoredTableForm(before)}});
    ASSERT_EQ(p.spooler.OpenPrinterA(row.what, platform::printeraccess::AllAccess, printerHandle), 0u);
    EXPECT_EQ(uiplugin::SaveSubstitutionTable(p.spooler, printerHandle->Raw(), row.text), row.result);
    const std::u16string loaded = uiplugin::LoadSubstitutionTable(p.spooler, printerHandle->Raw());
    EXPECT_TRUE(loaded == row.loaded) << "loaded " << loaded.size() << " units, expected " << row.loaded.size();
    if (row.text == manyFamilies) {
      EXPECT_TRUE(uiplugin::ComputeFontRows(families, loaded) == rows) << "a row did not come back";
    }
  }
}

// Random tables over a few names that extend and repeat one another.
TEST(FontRowsTest, OneIndexPerFillFindsWhatAScanPerFamilyFinds) {
  const std::vector<std::u16string> families = {u"", u" ", u"A", u"AB", u"Arial", u"Arial Black", u"arial"};
  const std::vector<std::u16string> fonts = {u"",        u"FontA11",  u"fonta11",          u"control",
                                             u"controlA", u"Barcode8", u"Do not substitute", u"Barcode9"};
  std::mt19937 random(14);
  auto pick = [&](const std::vector<std::u16string>& from) { return from[random() % from.size()]; };
  for (int round = 0; round < 300; ++round) {
    std::u16string table;
    const auto entries = random() % 12;  // an odd count leaves a family without a device font
    for (std::size_t i = 0; i < entries; ++i) {
      if (i > 0) table += u'\n';
      table += i % 2 == 0 ? pick(families) : pick(fonts);
    }
    const std::vector<uiplugin::FontRow> rows = uiplugin::ComputeFontRows(families, table);
    ASSERT_EQ(rows.size(), families.size());
    for (std::size_t i = 0; i < families.size(); ++i) {
      ASSERT_EQ(rows[i].deviceFont, uiplugin::LookupDeviceFont(families[i], table))
          << "table of " << entries << " entries, family " << i << ", round " << round;
    }
  }
}

}  // namespace

// Names compared without regard to case fold as Windows' upper-case table does, and 8-bit text folds
// exactly as the same text does in UTF-16.
#include <gtest/gtest.h>

#include "platform/CaseFolding.h"
#include "platform/Windows1252.h"

namespace {

TEST(CaseFoldingTest, FoldsTheLettersOfWindows1252AndNothingElse) {
  struct Row {
    const char* text;
    const char* same;
    bool equal;
  } const rows[] = {
      {"kvx_com1:", "KVX_COM1:", true},
      {"\xE0\xE9\xFE", "\xC0\xC9\xDE", true},          // àéþ
      {"\x9A\x9C\x9E\xFF", "\x8A\x8C\x8E\x9F", true},  // šœžÿ
      {"\xF7", "\xD7", false},                         // ÷ is not the lower case of ×
      {"\xDF", "SS", false},                           // ß has no upper case of its own
      {"A", "AB", false},
  };
  for (const Row& row : rows) EXPECT_EQ(platform::EqualNoCase(row.text, row.same), row.equal) << row.text;
}

TEST(CaseFoldingTest, Utf16FoldsAsWindows1252DoesAndGreekAndCyrillicToo) {
  for (int byte = 1; byte < 256; ++byte) {
    const std::string ansi(1, static_cast<char>(byte));
    const char16_t wide = platform::AnsiToUtf16(ansi)[0];
    EXPECT_EQ(platform::AnsiToUtf16(platform::UpperCase(ansi)), std::u16string(1, platform::FoldUpper(wide))) << byte;
  }
  EXPECT_TRUE(platform::EqualNoCase(u"\u03b1\u03c3\u0436\u0451", u"\u0391\u03a3\u0416\u0401"));  // ασжё
  EXPECT_LT(platform::CompareNoCase(u"alpha", u"BETA"), 0);
}

}  // namespace

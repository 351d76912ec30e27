#include "engine/PrinterNames.h"

#include <gtest/gtest.h>

#include <array>

#include "engine/MultiString.h"

namespace {

TEST(PrinterNamesTest, UnderKind3TheWidthAtTheEndOfTheFormNamesDriverAndForm) {
  struct Case {
    const char* formName;
    const char* width;
  };
  const Case cases[] = {
      {"Print width 72mm", "76 mm"},       {"Print width 76mm", "76 mm"},       {"Print width 48mm", "58 mm"},
      {"Print width 58mm", "58 mm"},       {"Print width 80mm", "80 mm"},       {"Print width 60mm", "80 mm"},
      // A length after the width: the width is read nine characters from the end.
      {"Print width 80mm 30cm", "80 mm"},  {"Print width 48mm 30cm", "58 mm"}, {"Print width 72mm 30cm", "76 mm"},
      // "30" anywhere in the last four characters moves the look-up, even when it is the width.
      {"Wide 30mm", "80 mm"},
      {"72mm", "76 mm"},                   {"2mm", "80 mm"},                    {"", "80 mm"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DriverNameFor(kOsWin98, "VT5000", c.formName), std::string("Tolvaren ") + c.width) << c.formName;
    EXPECT_EQ(PaperFormNameFor(kOsWin98, c.formName), std::string("Thermal Paper ") + c.width) << c.formName;
  }
}

TEST(PrinterNamesTest, OtherKindsKeepThePrinterAndFormNames) {
  for (OsKind kind : {kOsWinNt4, kOsWin2000, kOsWinXp, kOsVistaOrLater, kOsUnknown}) {
    EXPECT_EQ(DriverNameFor(kind, "RQ-7200 TH", "Print width 72mm"), "RQ-7200 TH");
    EXPECT_EQ(PaperFormNameFor(kind, "Print width 72mm"), "Print width 72mm");
  }
}

TEST(PrinterNamesTest, ModelShortNameGroupsTheRq7200FamilyOnly) {
  EXPECT_EQ(ModelShortName("RQ-7200 TH"), "VT5200");
  EXPECT_EQ(ModelShortName("Kvx RQ-7200 TH Scale"), "VT5200");
  EXPECT_EQ(ModelShortName("VT5200"), "VT5000");
  EXPECT_EQ(ModelShortName("rq-7200 th"), "VT5000");
  EXPECT_EQ(ModelShortName(""), "VT5000");
}

TEST(PrinterNamesTest, ScaleVariantInsertsSBeforeTheFirstDot) {
  EXPECT_EQ(ScaleVariantName("vt5000.gpd"), "vt5000S.gpd");
  EXPECT_EQ(ScaleVariantName("vt.5000.gpd"), "vtS.5000.gpd");
  EXPECT_EQ(ScaleVariantName(".gpd"), "S.gpd");
  EXPECT_EQ(ScaleVariantName("vt5000"), "vt5000");
  EXPECT_EQ(ScaleVariantName(""), "");
}

TEST(MultiStringTest, FillsTheBufferExactlyOrNotAtAll) {
  std::array<char, 10> buffer;
  buffer.fill('#');
  // "ab\0cdef\0" + final NUL = 9 bytes; one more name character reaches 10.
  EXPECT_EQ(WriteMultiString(buffer, {"ab", "cdef"}), 9u);
  EXPECT_EQ(std::string(buffer.data(), 10), std::string("ab\0cdef\0\0#", 10));
  EXPECT_EQ(WriteMultiString(buffer, {"ab", "cdefg"}), 10u);
  buffer.fill('#');
  EXPECT_EQ(WriteMultiString(buffer, {"abc", "cdefg"}), std::nullopt);
  EXPECT_EQ(std::string(buffer.data(), 10), std::string(10, '#'));
  EXPECT_EQ(MultiStringSize({"abc", "cdefg"}), 11u);
  EXPECT_EQ(MultiStringSize({}), 1u);
}

}  // namespace

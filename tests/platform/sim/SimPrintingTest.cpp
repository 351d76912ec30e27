// Printing on the simulated machine: the device's page width, text measuring with line breaks,
// and which jobs reach the printer's list.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/sim/DevMode.h"
#include "platform/sim/SimMachine.h"

namespace {

using platform::GdiRect;
using platform::sim::SimMachine;

constexpr platform::UINT kMeasure = platform::drawtext::CalcRect | platform::drawtext::WordBreak;

class SimPrintingTest : public ::testing::Test {
protected:
  void Install(const std::string& form) {
    machine->spooler().Edit([&](platform::sim::SpoolerState& s) {
      platform::sim::SpoolerPrinter printer;
      printer.name = printer.driver = "P";
      printer.port = "COM1:";
      printer.devMode = platform::sim::DefaultDevMode("P");
      std::fill_n(printer.devMode.begin() + platform::devmode::FormNameOffset, platform::devmode::FormNameSize, 0);
      std::copy(form.begin(), form.end(), printer.devMode.begin() + platform::devmode::FormNameOffset);
      s.printers.push_back(printer);
    });
  }
  std::unique_ptr<platform::PrinterDC> Dc() {
    std::unique_ptr<platform::PrinterDC> dc;
    EXPECT_EQ(p.printing.CreateDCA("", "p", "", dc), 0u);
    return dc;
  }
  std::vector<platform::sim::PrintedDocument> Printed() { return machine->spooler().Snapshot().printers.at(0).printed; }

  std::unique_ptr<SimMachine> machine = SimMachine::InMemory();
  platform::Platform p = machine->platform();
};

struct MeasureCase {
  const char* name;
  std::string text;
  int columns;  // the rectangle's width in 12-pixel cells
  platform::UINT format;
  int widthCells, lines;
};

void PrintTo(const MeasureCase& c, std::ostream* os) { *os << c.name; }

class SimMeasureTest : public SimPrintingTest, public testing::WithParamInterface<MeasureCase> {};

TEST_P(SimMeasureTest, SetsTheRectangleToTheTextsExtent) {
  const MeasureCase& c = GetParam();
  Install("Print width 80mm 30cm");
  auto dc = Dc();
  GdiRect rect{10, 5, 10 + c.columns * 12, 0};
  EXPECT_EQ(dc->DrawTextA(c.text, rect, c.format), c.lines * 24);
  EXPECT_EQ(rect, (GdiRect{10, 5, 10 + c.widthCells * 12, 5 + c.lines * 24}));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SimMeasureTest,
    testing::Values(MeasureCase{"OneLineNarrowsTheRectangle", "abc def", 40, kMeasure, 7, 1},
                    MeasureCase{"BreaksBeforeTheWordThatPassesTheEdge", "abc def", 5, kMeasure, 3, 2},
                    MeasureCase{"FillsALineExactly", "one two three", 7, kMeasure, 7, 2},
                    MeasureCase{"WordWiderThanTheRectangleWidensIt", "abcdefgh ij", 5, kMeasure, 8, 2},
                    MeasureCase{"OpeningBlanksStayWithTheFirstWord", "  abcdefgh", 5, kMeasure, 10, 1},
                    MeasureCase{"BlanksEndingAParagraphCount", "ab  \ncd", 40, kMeasure, 4, 2},
                    MeasureCase{"LineFeedsAndReturns", "\na\r\nb\rc", 40, kMeasure, 1, 4},
                    MeasureCase{"BreakAtTheEndStartsNoLine", "\n _____\n", 40, kMeasure, 6, 2},
                    MeasureCase{"WithoutWordBreakOnlyLineBreaksCount", "abc def\ngh", 2, platform::drawtext::CalcRect,
                                7, 2},
                    MeasureCase{"NothingToShow", "", 40, kMeasure, 0, 0}));

TEST_F(SimPrintingTest, PageWidthFollowsTheFormsWidth) {
  const std::vector<std::pair<std::string, int>> forms = {{"Print width 80mm 30cm", 576},
                                                          {"Scaled Print width 48mm 30cm", 384},
                                                          {"Thermal Paper 58 mm", 384},
                                                          {"Thermal Paper 76 mm", 576},
                                                          {"Letter", 576}};
  for (const auto& [form, width] : forms) {
    machine->spooler().Edit([](platform::sim::SpoolerState& s) { s.printers.clear(); });
    Install(form);
    auto dc = Dc();
    EXPECT_EQ(std::make_tuple(dc->GetDeviceCaps(platform::devcaps::HorzRes),
                              dc->GetDeviceCaps(platform::devcaps::LogPixelsX),
                              dc->GetDeviceCaps(platform::devcaps::LogPixelsY)),
              std::make_tuple(width, 203, 203))
        << form;
  }
}

TEST_F(SimPrintingTest, OnlyEndedJobsReachThePrinter) {
  Install("Print width 80mm 30cm");
  std::string bmp(26, '\0');
  bmp[0] = 'B', bmp[1] = 'M', bmp[18] = 122, bmp[22] = static_cast<char>(-78), bmp[23] = bmp[24] = bmp[25] = '\xff';
  machine->printing().SetProgramBitmaps([&](int id) { return id == 7 ? std::optional<std::string_view>(bmp) : std::nullopt; });

  std::unique_ptr<platform::Bitmap> bitmap;
  EXPECT_EQ(p.printing.LoadBitmapA(8, bitmap), platform::winerr::ResourceNameNotFound);
  ASSERT_EQ(p.printing.LoadBitmapA(7, bitmap), 0u);
  platform::BitmapSize size;
  ASSERT_EQ(bitmap->GetObjectA(size), 0u);
  EXPECT_EQ(std::make_pair(size.width, size.height), std::make_pair(122, 78));  // a bottom-up file's height is positive
  std::unique_ptr<platform::MemoryDC> memory;
  ASSERT_EQ(p.printing.CreateCompatibleDC(memory), 0u);
  ASSERT_EQ(memory->SelectBitmap(*bitmap), 0u);

  int job = 0;
  {
    auto abandoned = Dc();
    ASSERT_EQ(abandoned->StartDocA("abandoned", job), 0u);
    ASSERT_EQ(abandoned->StartPage(), 0u);
  }
  auto dc = Dc();
  ASSERT_EQ(dc->StartDocA("page", job), 0u);
  ASSERT_EQ(dc->StartPage(), 0u);
  GdiRect rect{1, 2, 300, 0};
  EXPECT_EQ(dc->DrawTextA("hi", rect, platform::drawtext::WordBreak), 24);
  EXPECT_EQ(dc->StretchBlt(5, 6, 61, 39, *memory, 0, 0, 122, 78, platform::SrcCopy), 0u);
  ASSERT_EQ(dc->EndPage(), 0u);
  ASSERT_EQ(dc->EndDoc(), 0u);

  std::unique_ptr<platform::PrinterHandle> printer;
  ASSERT_EQ(p.spooler.OpenPrinterA("P", 0, printer), 0u);
  platform::DWORD id = 0, written = 0;
  const std::vector<std::uint8_t> bytes = {1, 2};
  EXPECT_EQ(printer->WritePrinter(bytes, written), platform::winerr::SplNoStartDoc);
  ASSERT_EQ(printer->StartDocPrinterA("aborted", std::nullopt, std::nullopt, id), 0u);
  ASSERT_EQ(printer->WritePrinter(bytes, written), 0u);
  ASSERT_EQ(printer->AbortPrinter(), 0u);
  ASSERT_EQ(printer->StartDocPrinterA("raw", std::nullopt, std::nullopt, id), 0u);
  ASSERT_EQ(printer->WritePrinter(bytes, written), 0u);
  ASSERT_EQ(printer->EndDocPrinter(), 0u);
  EXPECT_EQ(printer->AbortPrinter(), platform::winerr::SplNoStartDoc);  // too late: the job has gone

  platform::sim::PrintedItem text, picture;
  text.text = "hi", text.left = 1, text.top = 2, text.right = 300;
  picture.picture = true, picture.bitmap = 7, picture.left = 5, picture.top = 6, picture.right = 66, picture.bottom = 45;
  EXPECT_EQ(Printed(), (std::vector<platform::sim::PrintedDocument>{{"page", {{text, picture}}, std::nullopt},
                                                                     {"raw", {}, bytes}}));
}

}  // namespace

// The test page's question, its printout on the printer, and the raw settings job.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string_view>

#include "app/TestPage.h"
#include "installer/InstallerTestSupport.h"
#include "platform/sim/DevMode.h"
#include "resource.h"

namespace {

using installertest::AppHarness;
using platform::sim::PrintedDocument;
using platform::sim::PrintedItem;
using platform::sim::SpoolerPrinter;
using Strings = std::vector<std::string>;

const std::string kPrinter = "RQ-7200 TH";

SpoolerPrinter InstalledPrinter(const std::string& form) {
  SpoolerPrinter printer;
  printer.name = printer.driver = kPrinter;
  printer.port = "Kvx_COM1:";
  printer.comment = "Korvex Printers";
  printer.devMode = platform::sim::DefaultDevMode(kPrinter);
  std::fill_n(printer.devMode.begin() + platform::devmode::FormNameOffset, platform::devmode::FormNameSize, 0);
  std::copy(form.begin(), form.end(), printer.devMode.begin() + platform::devmode::FormNameOffset);
  return printer;
}

PrintedItem Text(const std::string& text, std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
  PrintedItem item;
  item.text = text;
  item.font = "FontB11";
  item.left = l, item.top = t, item.right = r, item.bottom = b;
  return item;
}

PrintedItem Picture(std::int32_t x, std::int32_t y) {
  PrintedItem item;
  item.picture = true;
  item.bitmap = IDB_TEST_PAGE;
  item.left = x, item.top = y, item.right = x + 122, item.bottom = y + 78;
  return item;
}

class TestPageTest : public ::testing::Test {
protected:
  void Install(const SpoolerPrinter& printer) {
    harness.machine->spooler().Edit([&](platform::sim::SpoolerState& s) { s.printers.push_back(printer); });
  }
  std::vector<PrintedDocument> Printed() const {
    const auto state = harness.machine->spooler().Snapshot();
    return state.printers.empty() ? std::vector<PrintedDocument>{} : state.printers[0].printed;
  }
  std::string Log() const { return simtest::ReadFile(folder.path() / "errors.log"); }
  void ExpectNothingLeftOpen() const {
    EXPECT_EQ(harness.machine->handles().Describe(), Strings{});
    EXPECT_EQ(harness.kit.WaitCursorDepth(), 0);
  }

  simtest::TempDir folder;
  simtest::ScopedCurrentDir cwd{folder.path()};
  AppHarness harness;
};

// The header's 34 characters measure 408 pixels in the printer's 12-pixel cells, so the
// picture sits at 408 / 3 + the margin; the body starts at (78 + 80) * 0.9 = 142.
struct LayoutCase {
  const char* name;
  std::string form, comment, datatype, processor;
  std::string modelLine;
  PrintedItem header, picture, body;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

class TestPageLayoutTest : public TestPageTest, public testing::WithParamInterface<LayoutCase> {};

TEST_P(TestPageLayoutTest, PrintsHeaderPictureAndBodyInOrder) {
  const LayoutCase& c = GetParam();
  SpoolerPrinter printer = InstalledPrinter(c.form);
  printer.comment = c.comment, printer.datatype = c.datatype, printer.printProcessor = c.processor;
  Install(printer);

  PrintTestPage(harness.context, nullptr, kPrinter);

  const std::string body = "\n\n CONGRATULATIONS!\n\n If you can see this page you have \n successfully installed your "
                           "Korvex\n Printer:\n\n\n PRINTER Name: RQ-7200 TH\n\n PORT Name: Kvx_COM1:\n\n" +
                           c.modelLine + " DATA format: " + c.datatype + "\n\n PRINTER Monitor: " + c.processor + "\n\n";
  PrintedItem expectedBody = c.body;
  expectedBody.text = body;
  PrintedDocument expected;
  expected.name = "Korvex Printer Test Page";
  expected.pages = {{c.header, c.picture, expectedBody}};
  EXPECT_EQ(Printed(), std::vector<PrintedDocument>{expected});
  EXPECT_TRUE(harness.kit.MessageBoxes().empty());
  ExpectNothingLeftOpen();
}

const std::string kHeader = "\n _________________________________\n";

INSTANTIATE_TEST_SUITE_P(
    Printers, TestPageLayoutTest,
    testing::Values(
        // 576 pixels: margin 28, rectangles up to 518; the body's widest lines are 35 characters.
        LayoutCase{"Wide", "Print width 80mm 30cm", "Korvex Printers", "RAW", "WinPrint",
                   " Model: Korvex Printers\n\n", Text(kHeader, 10, 10, 418, 58), Picture(164, 49),
                   Text("", 0, 142, 420, 142 + 19 * 24)},
        LayoutCase{"EmptyFields", "Print width 80mm 30cm", "", "", "", " Model: \n\n", Text(kHeader, 10, 10, 418, 58),
                   Picture(164, 49), Text("", 0, 142, 420, 142 + 19 * 24)},
        // 44 characters would pass 518: the model line breaks after "desk" (41 characters).
        LayoutCase{"LongComment", "Print width 80mm 30cm", "Korvex Printers at the front desk of the main hall", "RAW",
                   "WinPrint", " Model: Korvex Printers at the front desk of the main hall\n\n",
                   Text(kHeader, 10, 10, 418, 58), Picture(164, 49), Text("", 0, 142, 492, 142 + 20 * 24)},
        // 384 pixels: margin 19, rectangles up to 345 (28 characters); the header's line passes it and
        // stays whole, two body lines break.
        LayoutCase{"Narrow", "Print width 48mm 30cm", "Korvex Printers", "RAW", "WinPrint",
                   " Model: Korvex Printers\n\n", Text(kHeader, 10, 10, 418, 58), Picture(155, 49),
                   Text("", 0, 142, 336, 142 + 21 * 24)}));

struct FailureCase {
  const char* name;
  bool installed;
  const char* op;  // the call made to fail, with its count
  std::size_t nth;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class TestPageFailureTest : public TestPageTest, public testing::WithParamInterface<FailureCase> {};

TEST_P(TestPageFailureTest, SaysOnceThatThePageCannotBePrinted) {
  const FailureCase& c = GetParam();
  if (c.installed) Install(InstalledPrinter("Print width 80mm 30cm"));
  if (c.op) harness.machine->faults().FailNth(c.op, c.nth, platform::winerr::AccessDenied);

  PrintTestPage(harness.context, nullptr, kPrinter);

  ASSERT_EQ(harness.kit.MessageBoxes().size(), 1u);
  const auto& box = harness.kit.MessageBoxes()[0];
  EXPECT_EQ(std::tie(box.text, box.caption, box.type),
            std::make_tuple(std::string("Unable to print test page!\n"), std::string("KvxInstaller"), ui::mb::Ok));
  EXPECT_TRUE(Printed().empty());
  ExpectNothingLeftOpen();
}

INSTANTIATE_TEST_SUITE_P(Failures, TestPageFailureTest,
                         testing::Values(FailureCase{"NoSuchPrinter", false, nullptr, 0},
                                         FailureCase{"OpenFails", true, "OpenPrinterA", 1},
                                         FailureCase{"SizeQueryFails", true, "GetPrinterA", 1},
                                         FailureCase{"ReadFails", true, "GetPrinterA", 2},
                                         FailureCase{"NoDeviceContext", true, "CreateDCA", 1}));

TEST_F(TestPageTest, OnlyYesPrintsThePage) {
  Install(InstalledPrinter("Print width 80mm 30cm"));
  const std::vector<std::pair<std::function<void(ui::headless::DialogDriver&)>, std::size_t>> answers = {
      {[](auto& d) { d.Click(ui::idres::Cancel); }, 0},
      {[](auto& d) { d.Close(); }, 0},
      {[](auto& d) {
         EXPECT_EQ(std::make_tuple(d.Caption(), d.Text(IDC_TEST_PAGE_TEXT)),
                   std::make_tuple(std::string("TolvInstaller"), std::string("Do you want to print a test page?")));
         d.Click(ui::idres::Ok);
       },
       1}};
  for (const auto& [answer, printed] : answers) {
    harness.user.OnDialog(IDD_TEST_PAGE, answer);
    OfferTestPage(harness.context, nullptr, kPrinter);
    EXPECT_EQ(Printed().size(), printed);
  }
  EXPECT_TRUE(harness.kit.MessageBoxes().empty());
}

struct SettingsCase {
  const char* name;
  bool installed;
  const char* op;  // fails once with 5
  bool result;
  std::string log;
  std::optional<std::vector<std::uint8_t>> job;  // the bytes of the job the printer got
  std::size_t pagesEnded;
};

void PrintTo(const SettingsCase& c, std::ostream* os) { *os << c.name; }

const std::vector<std::uint8_t> kCommand = {0x1D, 0xF9, 0x2C, 0x00};
const std::vector<std::uint8_t> kNoBytes;

class DisableLowPaperTest : public TestPageTest, public testing::WithParamInterface<SettingsCase> {};

TEST_P(DisableLowPaperTest, SendsTheCommandAsOneRawJob) {
  const SettingsCase& c = GetParam();
  if (c.installed) Install(InstalledPrinter("Print width 80mm 30cm"));
  if (c.op) harness.machine->faults().FailOnce(c.op, platform::winerr::AccessDenied);
  const auto start = harness.machine->clock().GetTickCount();

  EXPECT_EQ(DisableLowPaper(harness.context, kPrinter), c.result);

  EXPECT_EQ(Log(), c.log);
  std::vector<PrintedDocument> expected;
  if (c.job) expected.push_back({"##Esc/Tolv Settings##", {}, c.job});
  EXPECT_EQ(Printed(), expected);
  EXPECT_EQ(harness.machine->faults().CallCount("EndPagePrinter"), c.pagesEnded);
  // Once the printer is open, the job waits 100 ms under the wait cursor.
  const bool opened = c.installed && std::string_view(c.op ? c.op : "") != "OpenPrinterA";
  EXPECT_EQ(harness.machine->clock().GetTickCount() - start, opened ? 100u : 0u);
  EXPECT_EQ(harness.kit.WaitCursorShowings(), opened ? 1 : 0);
  EXPECT_TRUE(harness.kit.MessageBoxes().empty());
  ExpectNothingLeftOpen();
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, DisableLowPaperTest,
    testing::Values(
        SettingsCase{"Written", true, nullptr, true, "", kCommand, 1},
        SettingsCase{"NoSuchPrinter", false, nullptr, false, "DisableLowPaper: OpenPrinter failed 1801\r\n", {}, 0},
        SettingsCase{"OpenRefused", true, "OpenPrinterA", false, "DisableLowPaper: OpenPrinter failed 5\r\n", {}, 0},
        SettingsCase{"NoDocument", true, "StartDocPrinterA", false, "", {}, 0},
        // The document is ended all the same: an empty job reaches the printer.
        SettingsCase{"NoPage", true, "StartPagePrinter", false, "DisableLowPapers: StartPagePrinter 5\r\n", kNoBytes, 0},
        SettingsCase{"WriteFails", true, "WritePrinter", false, "DisableLowPaper: WritePrinter 5\r\n", kNoBytes, 1}));

}  // namespace

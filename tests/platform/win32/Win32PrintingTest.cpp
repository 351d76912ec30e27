// The printing backends: the program's own bitmap in a memory context, and a raw job's bytes
// through the spooler into a file.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include <vector>

#include "platform/win32/Win32PrintSpooler.h"
#include "platform/win32/Win32Printing.h"
#include "resource.h"
#include "SpoolerTestSupport.h"

namespace {

constexpr const char* kDriver = "Kvx Win32 Raw Job Driver";
constexpr const char* kPrinter = "Kvx Win32 Raw Job Printer";

TEST(Win32PrintingTest, TestPagePictureComesFromTheProgramsResources) {
  platform::win32::Win32Printing printing;
  std::unique_ptr<platform::Bitmap> bitmap;
  EXPECT_EQ(printing.LoadBitmapA(IDB_TEST_PAGE + 1000, bitmap), static_cast<platform::DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  ASSERT_EQ(printing.LoadBitmapA(IDB_TEST_PAGE, bitmap), 0u);
  platform::BitmapSize size;
  ASSERT_EQ(bitmap->GetObjectA(size), 0u);
  EXPECT_EQ(std::make_pair(size.width, size.height), std::make_pair(122, 78));
  std::unique_ptr<platform::MemoryDC> memory;
  ASSERT_EQ(printing.CreateCompatibleDC(memory), 0u);
  EXPECT_EQ(memory->SelectBitmap(*bitmap), 0u);
}

// A printer on the "FILE:" port whose raw jobs go into a file of the test's choosing.
class Win32RawJobTest : public testing::Test {
protected:
  void SetUp() override {
    Remove();
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    output = std::string(temp) + "kvx-raw-job.prn";
    DeleteFileA(output.c_str());
    const std::string directory = spooler_test::DriverDirectory();
    files.Make(directory + "\\kvxraw.dll");
    files.Make(directory + "\\kvxraw.gpd");
    files.Make(directory + "\\kvxrawui.dll", spooler_test::StandInConfigModule());
    platform::DriverInfo3A driver;
    driver.cVersion = 3;
    driver.pName = kDriver;
    driver.pDriverPath = "kvxraw.dll";
    driver.pDataFile = "kvxraw.gpd";
    driver.pConfigFile = "kvxrawui.dll";
    ASSERT_EQ(spooler.AddPrinterDriverA(driver), 0u);
    platform::PrinterInfo2A info;
    info.pPrinterName = kPrinter;
    info.pPortName = "FILE:";
    info.pDriverName = kDriver;
    info.pPrintProcessor = "WinPrint";
    info.pDatatype = "RAW";  // Wine cannot open a printer without one
    std::unique_ptr<platform::PrinterHandle> added;
    ASSERT_EQ(spooler.AddPrinterA(info, added), 0u);
  }
  void TearDown() override {
    Remove();
    DeleteFileA(output.c_str());
  }
  static void Remove() {
    spooler_test::RemovePrinter(kPrinter);
    spooler_test::RemoveDriver(kDriver);
  }

  std::string output;
  spooler_test::DriverFiles files;
  platform::win32::Win32PrintSpooler spooler;
};

TEST_F(Win32RawJobTest, WrittenBytesReachTheJobsOutput) {
  std::unique_ptr<platform::PrinterHandle> printer;
  ASSERT_EQ(spooler.OpenPrinterA(kPrinter, platform::printeraccess::Use, printer), 0u);
  platform::DWORD job = 0, written = 0;
  EXPECT_NE(printer->WritePrinter(std::vector<std::uint8_t>{1}, written), 0u) << "no document yet";
  ASSERT_EQ(printer->StartDocPrinterA("##Esc/Tolv Settings##", output, "RAW", job), 0u);
  EXPECT_NE(job, 0u);
  ASSERT_EQ(printer->StartPagePrinter(), 0u);
  ASSERT_EQ(printer->WritePrinter(std::vector<std::uint8_t>{0x1D, 0xF9, 0x2C, 0x00}, written), 0u);
  EXPECT_EQ(written, 4u);
  ASSERT_EQ(printer->EndPagePrinter(), 0u);
  ASSERT_EQ(printer->EndDocPrinter(), 0u);
  (void)printer->AbortPrinter();  // after the end there is nothing left to abort
  printer.reset();
  std::ifstream in(output, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), std::string("\x1D\xF9\x2C\x00", 4));
}

// A page through GDI needs a printer whose driver renders. The test's printer has none of its own;
// Wine's PostScript driver may stand in, and measures only where it finds the printer's page size.
TEST_F(Win32RawJobTest, PrinterContextMeasuresText) {
  platform::win32::Win32Printing printing;
  std::unique_ptr<platform::PrinterDC> dc;
  const platform::DWORD created = printing.CreateDCA(kDriver, kPrinter, "FILE:", dc);
  if (created != 0) GTEST_SKIP() << "no device context for the test's printer (error " << created << ")";
  EXPECT_EQ(dc->SelectPointFont("Courier New", 120), 0u);
  const int width = dc->GetDeviceCaps(platform::devcaps::HorzRes);
  if (width <= 0) GTEST_SKIP() << "the printer's stand-in driver knows no page for it (no PPD file): nothing to measure on";
  platform::GdiRect rect{10, 10, 10 + width / 4, 0};
  const int height = dc->DrawTextA("one two three four five six seven eight", rect,
                                   platform::drawtext::CalcRect | platform::drawtext::WordBreak);
  EXPECT_GT(height, 0);
  EXPECT_EQ(rect.bottom - rect.top, height);
}

}  // namespace

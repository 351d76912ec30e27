#include "app/TestPage.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "engine/ErrorLog.h"
#include "resource.h"

namespace {

using platform::DWORD;
using platform::GdiRect;

constexpr const char* kDeviceFont = "FontB11";
// 12 pt: a 1.2-point device font (12 tenths) could not be meant.
constexpr int kFontTenthsOfPoint = 120;
constexpr const char* kHeader = "\n _________________________________\n";
constexpr const char* kSettingsDocument = "##Esc/Tolv Settings##";
constexpr std::array<std::uint8_t, 4> kSettingsCommand = {0x1D, 0xF9, 0x2C, 0x00};
constexpr DWORD kSettingsDelayMs = 100;

// ⌊value × 0.9⌋ for the page's non-negative sizes.
platform::LONG NineTenths(platform::LONG value) { return value * 9 / 10; }

// OpenPrinterA with no defaults, then its level-2 record (size query, then the read).
std::optional<platform::PrinterInfo2A> ReadPrinterRecord(platform::PrintSpooler& spooler, const std::string& printerName,
                                                         std::unique_ptr<platform::PrinterHandle>& printer) {
  if (spooler.OpenPrinterA(printerName, 0, printer) != platform::winerr::Success) return std::nullopt;
  DWORD needed = 0;
  platform::PrinterInfo2A info;
  const DWORD sizeQuery = printer->GetPrinter2A(0, needed, info);
  if (sizeQuery != platform::winerr::InsufficientBuffer && sizeQuery != platform::winerr::Success) return std::nullopt;
  if (needed == 0 || printer->GetPrinter2A(needed, needed, info) != platform::winerr::Success) return std::nullopt;
  return info;
}

std::string BodyText(ui::Kit& kit, const platform::PrinterInfo2A& info) {
  const auto field = [&](int label, const platform::OptText& value) {
    return kit.LoadText(label) + value.value_or("") + "\n\n";
  };
  return kit.LoadText(IDS_TEST_PAGE_GREETING) + field(IDS_TEST_PAGE_PRINTER, info.pPrinterName) +
         field(IDS_TEST_PAGE_PORT, info.pPortName) + field(IDS_TEST_PAGE_MODEL, info.pComment) +
         field(IDS_TEST_PAGE_DATA_FORMAT, info.pDatatype) + field(IDS_TEST_PAGE_MONITOR, info.pPrintProcessor);
}

}  // namespace

CTestPage::CTestPage(AppContext& context) : ui::Dialog(context.kit, IDD_TEST_PAGE) {}

void PrintTestPage(AppContext& context, ui::Dialog* owner, const std::string& printerName) {
  ui::Kit& kit = context.kit;
  platform::Printing& printing = context.platform.printing;
  std::unique_ptr<platform::PrinterHandle> printer;
  const auto info = ReadPrinterRecord(context.platform.spooler, printerName, printer);
  std::unique_ptr<platform::PrinterDC> dc;
  if (!info || printing.CreateDCA(info->pDriverName.value_or(""), info->pPrinterName.value_or(""),
                                  info->pPortName.value_or(""), dc) != platform::winerr::Success) {
    printer.reset();
    (void)kit.ShowMessageBox(owner, kit.LoadText(IDS_TEST_PAGE_FAILED), kit.AppName(), ui::mb::Ok);
    return;
  }

  // Nothing is checked from here on: a page that cannot be drawn comes out as it comes out.
  std::unique_ptr<platform::Bitmap> bitmap;
  std::unique_ptr<platform::MemoryDC> memory;
  platform::BitmapSize picture;
  if (printing.LoadBitmapA(IDB_TEST_PAGE, bitmap) == platform::winerr::Success &&
      printing.CreateCompatibleDC(memory) == platform::winerr::Success) {
    (void)memory->SelectBitmap(*bitmap);
    (void)bitmap->GetObjectA(picture);
  }
  (void)dc->SelectPointFont(kDeviceFont, kFontTenthsOfPoint);

  int job = 0;
  (void)dc->StartDocA(kit.LoadText(IDS_TEST_PAGE_DOCUMENT), job);
  (void)dc->StartPage();
  const platform::LONG width = dc->GetDeviceCaps(platform::devcaps::HorzRes);
  const platform::LONG margin = width / 20;
  (void)dc->SetStretchBltMode(platform::BlackOnWhite);

  GdiRect header{10, 10, NineTenths(width), 0};
  (void)dc->DrawTextA(kHeader, header, platform::drawtext::CalcRect | platform::drawtext::WordBreak);
  (void)dc->DrawTextA(kHeader, header, platform::drawtext::WordBreak);

  if (memory) {
    (void)dc->StretchBlt((header.right - header.left) / 3 + margin, header.bottom - header.top + 1, picture.width,
                         picture.height, *memory, 0, 0, picture.width, picture.height, platform::SrcCopy);
  }

  const std::string body = BodyText(kit, *info);
  GdiRect bodyRect{0, NineTenths(picture.height + 80), NineTenths(width), 0};
  (void)dc->DrawTextA(body, bodyRect, platform::drawtext::CalcRect | platform::drawtext::WordBreak);
  (void)dc->DrawTextA(body, bodyRect, platform::drawtext::WordBreak);

  (void)dc->EndPage();
  (void)dc->EndDoc();
  // Released in this order: the font with the printer context, the memory context, the bitmap, the printer.
  dc.reset();
  memory.reset();
  bitmap.reset();
}

bool DisableLowPaper(AppContext& context, const std::string& printerName) {
  platform::FileSystem& files = context.platform.files;
  std::unique_ptr<platform::PrinterHandle> printer;
  if (const DWORD error = context.platform.spooler.OpenPrinterA(printerName, platform::printeraccess::Administer, printer)) {
    LogError(files, "DisableLowPaper: OpenPrinter failed %d", error);
    return false;
  }
  bool written = false;
  {
    ui::WaitCursor wait(context.kit);
    context.platform.clock.Sleep(kSettingsDelayMs);
    DWORD job = 0;
    if (printer->StartDocPrinterA(kSettingsDocument, std::nullopt, std::nullopt, job) == platform::winerr::Success) {
      if (const DWORD error = printer->StartPagePrinter()) {
        LogError(files, "DisableLowPapers: StartPagePrinter %d", error);
      } else {
        DWORD count = 0;
        const DWORD writeError = printer->WritePrinter(kSettingsCommand, count);
        written = writeError == platform::winerr::Success && count == kSettingsCommand.size();
        if (!written) LogError(files, "DisableLowPaper: WritePrinter %d", writeError);
        (void)printer->EndPagePrinter();
      }
    }
    (void)printer->EndDocPrinter();
  }
  (void)printer->AbortPrinter();
  return written;
}

void OfferTestPage(AppContext& context, ui::Dialog* owner, const std::string& printerName) {
  CTestPage question(context);
  if (question.DoModal() == ui::idres::Ok) PrintTestPage(context, owner, printerName);
}

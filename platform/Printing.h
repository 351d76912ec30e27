#pragma once
// Printing through the graphics interface: a printer device context, a bitmap of the program's
// resources in a memory context, text with line breaking, and pictures copied onto the page.
#include <memory>
#include <string>

#include "platform/Win32Types.h"

namespace platform {

namespace devcaps {
constexpr int HorzRes = 8;      // HORZRES
constexpr int VertRes = 10;     // VERTRES
constexpr int LogPixelsX = 88;  // LOGPIXELSX
constexpr int LogPixelsY = 90;  // LOGPIXELSY
}  // namespace devcaps

namespace drawtext {
constexpr UINT WordBreak = 0x10;   // DT_WORDBREAK
constexpr UINT CalcRect = 0x400;   // DT_CALCRECT
}  // namespace drawtext

constexpr int BlackOnWhite = 1;       // STRETCH_ANDSCANS
constexpr DWORD SrcCopy = 0x00CC0020;  // SRCCOPY

// RECT, in the device context's units.
struct GdiRect {
  LONG left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const GdiRect&) const = default;
};

// BITMAP as GetObjectA fills it, the fields the system reads.
struct BitmapSize {
  LONG width = 0, height = 0;
  WORD bitsPixel = 0;
};

// HBITMAP; destruction deletes it.
class Bitmap {
public:
  virtual ~Bitmap() = default;
  [[nodiscard]] virtual DWORD GetObjectA(BitmapSize& size) = 0;
};

// A memory device context compatible with the screen (CreateCompatibleDC(NULL)). Destruction
// puts back what was selected and deletes the context; a selected bitmap must outlive it.
class MemoryDC {
public:
  virtual ~MemoryDC() = default;
  [[nodiscard]] virtual DWORD SelectBitmap(Bitmap& bitmap) = 0;
};

// A printer device context. Destruction puts back the original font, deletes the one it
// created and deletes the context; a document still open is abandoned with it.
class PrinterDC {
public:
  virtual ~PrinterDC() = default;
  [[nodiscard]] virtual int GetDeviceCaps(int index) = 0;
  // A font of `face` at `tenthsOfPoint` (CreatePointFont: height from LOGPIXELSY), default
  // character set, selected into the context.
  [[nodiscard]] virtual DWORD SelectPointFont(const std::string& face, int tenthsOfPoint) = 0;
  // StartDocA with DOCINFOA naming only the document; jobId receives the print job's id.
  [[nodiscard]] virtual DWORD StartDocA(const std::string& docName, int& jobId) = 0;
  [[nodiscard]] virtual DWORD StartPage() = 0;
  [[nodiscard]] virtual DWORD EndPage() = 0;
  [[nodiscard]] virtual DWORD EndDoc() = 0;
  // The previous mode; 0 on failure.
  [[nodiscard]] virtual int SetStretchBltMode(int mode) = 0;
  // DrawTextA: the height of the text, 0 on failure. With drawtext::CalcRect it only measures,
  // setting rect's right and bottom.
  [[nodiscard]] virtual int DrawTextA(const std::string& text, GdiRect& rect, UINT format) = 0;
  [[nodiscard]] virtual DWORD StretchBlt(int x, int y, int width, int height, MemoryDC& source, int sourceX,
                                         int sourceY, int sourceWidth, int sourceHeight, DWORD rop) = 0;
};

class Printing {
public:
  virtual ~Printing() = default;
  // CreateDCA(driver, device, port, no device mode).
  [[nodiscard]] virtual DWORD CreateDCA(const std::string& driver, const std::string& device, const std::string& port,
                                        std::unique_ptr<PrinterDC>& out) = 0;
  // LoadBitmapA from the running program's own resources.
  [[nodiscard]] virtual DWORD LoadBitmapA(int resourceId, std::unique_ptr<Bitmap>& out) = 0;
  [[nodiscard]] virtual DWORD CreateCompatibleDC(std::unique_ptr<MemoryDC>& out) = 0;
};

}  // namespace platform

#include "platform/win32/Win32Printing.h"

#include <windows.h>

#include <cstring>
#include <utility>

namespace platform::win32 {

static_assert(devcaps::HorzRes == HORZRES && devcaps::VertRes == VERTRES && devcaps::LogPixelsX == LOGPIXELSX &&
              devcaps::LogPixelsY == LOGPIXELSY);
static_assert(drawtext::WordBreak == DT_WORDBREAK && drawtext::CalcRect == DT_CALCRECT);
static_assert(BlackOnWhite == BLACKONWHITE && SrcCopy == SRCCOPY);

namespace {

// GDI calls do not all set the last error when they fail; such a failure still has to read as one.
DWORD LastErrorOr(DWORD fallback) {
  const ::DWORD error = ::GetLastError();
  return error != ERROR_SUCCESS ? error : fallback;
}

class Win32Bitmap final : public Bitmap {
public:
  explicit Win32Bitmap(HBITMAP bitmap) : bitmap_(bitmap) {}
  ~Win32Bitmap() override { ::DeleteObject(bitmap_); }
  Win32Bitmap(const Win32Bitmap&) = delete;
  Win32Bitmap& operator=(const Win32Bitmap&) = delete;

  DWORD GetObjectA(BitmapSize& size) override {
    BITMAP bitmap{};
    if (::GetObjectA(bitmap_, sizeof bitmap, &bitmap) == 0) return LastErrorOr(ERROR_INVALID_HANDLE);
    size = {bitmap.bmWidth, bitmap.bmHeight, bitmap.bmBitsPixel};
    return ERROR_SUCCESS;
  }
  HBITMAP get() const { return bitmap_; }

private:
  HBITMAP bitmap_;
};

class Win32MemoryDC final : public MemoryDC {
public:
  explicit Win32MemoryDC(HDC dc) : dc_(dc) {}
  ~Win32MemoryDC() override {
    if (original_) ::SelectObject(dc_, original_);
    ::DeleteDC(dc_);
  }
  Win32MemoryDC(const Win32MemoryDC&) = delete;
  Win32MemoryDC& operator=(const Win32MemoryDC&) = delete;

  DWORD SelectBitmap(Bitmap& bitmap) override {
    auto* own = dynamic_cast<Win32Bitmap*>(&bitmap);
    if (!own) return ERROR_INVALID_HANDLE;
    HGDIOBJ previous = ::SelectObject(dc_, own->get());
    if (previous == nullptr || previous == HGDI_ERROR) return LastErrorOr(ERROR_INVALID_HANDLE);
    if (!original_) original_ = previous;
    return ERROR_SUCCESS;
  }
  HDC get() const { return dc_; }

private:
  HDC dc_;
  HGDIOBJ original_ = nullptr;
};

class Win32PrinterDC final : public PrinterDC {
public:
  explicit Win32PrinterDC(HDC dc) : dc_(dc) {}
  ~Win32PrinterDC() override {
    if (inDocument_) ::AbortDoc(dc_);
    if (font_) {
      ::SelectObject(dc_, originalFont_);
      ::DeleteObject(font_);
    }
    ::DeleteDC(dc_);
  }
  Win32PrinterDC(const Win32PrinterDC&) = delete;
  Win32PrinterDC& operator=(const Win32PrinterDC&) = delete;

  int GetDeviceCaps(int index) override { return ::GetDeviceCaps(dc_, index); }

  DWORD SelectPointFont(const std::string& face, int tenthsOfPoint) override {
    // As the framework's point font: the height in the context's pixels, negative for the character height.
    LOGFONTA font{};
    font.lfHeight = -::MulDiv(::GetDeviceCaps(dc_, LOGPIXELSY), tenthsOfPoint, 720);
    font.lfCharSet = DEFAULT_CHARSET;
    std::strncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    HFONT created = ::CreateFontIndirectA(&font);
    if (!created) return LastErrorOr(ERROR_INVALID_PARAMETER);
    HGDIOBJ previous = ::SelectObject(dc_, created);
    if (previous == nullptr || previous == HGDI_ERROR) {
      ::DeleteObject(created);
      return LastErrorOr(ERROR_INVALID_HANDLE);
    }
    if (font_) {
      ::DeleteObject(font_);
    } else {
      originalFont_ = previous;
    }
    font_ = created;
    return ERROR_SUCCESS;
  }

  DWORD StartDocA(const std::string& docName, int& jobId) override {
    DOCINFOA info{};
    info.cbSize = sizeof info;
    info.lpszDocName = docName.c_str();
    const int job = ::StartDocA(dc_, &info);
    if (job <= 0) return LastErrorOr(ERROR_INVALID_PARAMETER);
    jobId = job;
    inDocument_ = true;
    return ERROR_SUCCESS;
  }
  DWORD StartPage() override { return ::StartPage(dc_) > 0 ? ERROR_SUCCESS : LastErrorOr(ERROR_INVALID_PARAMETER); }
  DWORD EndPage() override { return ::EndPage(dc_) > 0 ? ERROR_SUCCESS : LastErrorOr(ERROR_INVALID_PARAMETER); }
  DWORD EndDoc() override {
    if (::EndDoc(dc_) <= 0) return LastErrorOr(ERROR_INVALID_PARAMETER);
    inDocument_ = false;
    return ERROR_SUCCESS;
  }

  int SetStretchBltMode(int mode) override { return ::SetStretchBltMode(dc_, mode); }

  int DrawTextA(const std::string& text, GdiRect& rect, UINT format) override {
    RECT r{rect.left, rect.top, rect.right, rect.bottom};
    const int height = ::DrawTextA(dc_, text.c_str(), static_cast<int>(text.size()), &r, format);
    rect = {r.left, r.top, r.right, r.bottom};
    return height;
  }

  DWORD StretchBlt(int x, int y, int width, int height, MemoryDC& source, int sourceX, int sourceY, int sourceWidth,
                   int sourceHeight, DWORD rop) override {
    auto* memory = dynamic_cast<Win32MemoryDC*>(&source);
    if (!memory) return ERROR_INVALID_HANDLE;
    return ::StretchBlt(dc_, x, y, width, height, memory->get(), sourceX, sourceY, sourceWidth, sourceHeight, rop)
               ? ERROR_SUCCESS
               : LastErrorOr(ERROR_INVALID_PARAMETER);
  }

private:
  HDC dc_;
  HFONT font_ = nullptr;
  HGDIOBJ originalFont_ = nullptr;
  bool inDocument_ = false;
};

}  // namespace

DWORD Win32Printing::CreateDCA(const std::string& driver, const std::string& device, const std::string& port,
                               std::unique_ptr<PrinterDC>& out) {
  out.reset();
  ::SetLastError(ERROR_SUCCESS);
  HDC dc = ::CreateDCA(driver.c_str(), device.c_str(), port.c_str(), nullptr);
  if (!dc) return LastErrorOr(ERROR_INVALID_PRINTER_NAME);
  out = std::make_unique<Win32PrinterDC>(dc);
  return ERROR_SUCCESS;
}

DWORD Win32Printing::LoadBitmapA(int resourceId, std::unique_ptr<Bitmap>& out) {
  out.reset();
  HBITMAP bitmap = ::LoadBitmapA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId));
  if (!bitmap) return LastErrorOr(ERROR_RESOURCE_NAME_NOT_FOUND);
  out = std::make_unique<Win32Bitmap>(bitmap);
  return ERROR_SUCCESS;
}

DWORD Win32Printing::CreateCompatibleDC(std::unique_ptr<MemoryDC>& out) {
  out.reset();
  HDC dc = ::CreateCompatibleDC(nullptr);
  if (!dc) return LastErrorOr(ERROR_INVALID_HANDLE);
  out = std::make_unique<Win32MemoryDC>(dc);
  return ERROR_SUCCESS;
}

}  // namespace platform::win32

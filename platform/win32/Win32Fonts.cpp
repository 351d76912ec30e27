#include "platform/win32/Win32Fonts.h"

#include <windows.h>

#include <cwchar>

namespace platform::win32 {

static_assert(fonttype::Raster == RASTER_FONTTYPE && fonttype::Device == DEVICE_FONTTYPE &&
              fonttype::TrueType == TRUETYPE_FONTTYPE);

namespace {

int CALLBACK CollectFamily(const LOGFONTW* font, const TEXTMETRICW* /*metrics*/, ::DWORD fontType, LPARAM param) {
  auto& families = *reinterpret_cast<std::vector<FontFamily>*>(param);
  // lfFaceName need not be terminated when it fills the whole array.
  const std::size_t length = ::wcsnlen(font->lfFaceName, LF_FACESIZE);
  families.push_back({std::u16string(reinterpret_cast<const char16_t*>(font->lfFaceName), length),
                      static_cast<DWORD>(fontType)});
  return 1;
}

}  // namespace

std::vector<FontFamily> Win32Fonts::EnumScreenFontFamilies() {
  std::vector<FontFamily> families;
  HDC screen = ::GetDC(nullptr);
  if (!screen) return families;
  ::EnumFontFamiliesW(screen, nullptr, CollectFamily, reinterpret_cast<LPARAM>(&families));
  ::ReleaseDC(nullptr, screen);
  return families;
}

}  // namespace platform::win32

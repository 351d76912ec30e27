#include "ui/win32/FontStore.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace ui::win32 {

FontStore::~FontStore() {
  for (void* font : fonts_) DeleteObject(static_cast<HFONT>(font));
}

void* FontStore::Create(const FontSpec& spec) {
  LOGFONTA logFont{};
  logFont.lfHeight = spec.height;
  logFont.lfWidth = spec.width;
  logFont.lfEscapement = spec.escapement;
  logFont.lfOrientation = spec.orientation;
  logFont.lfWeight = spec.weight;
  logFont.lfItalic = spec.italic;
  logFont.lfUnderline = spec.underline;
  logFont.lfStrikeOut = spec.strikeOut;
  logFont.lfCharSet = spec.charSet;
  logFont.lfOutPrecision = spec.outPrecision;
  logFont.lfClipPrecision = spec.clipPrecision;
  logFont.lfQuality = spec.quality;
  logFont.lfPitchAndFamily = spec.pitchAndFamily;
  const std::size_t length = std::min(spec.faceName.size(), sizeof(logFont.lfFaceName) - 1);
  std::memcpy(logFont.lfFaceName, spec.faceName.data(), length);

  HFONT font = CreateFontIndirectA(&logFont);
  if (!font) return nullptr;
  std::lock_guard lock(mutex_);
  fonts_.push_back(font);
  return font;
}

std::size_t FontStore::Count() const {
  std::lock_guard lock(mutex_);
  return fonts_.size();
}

}  // namespace ui::win32

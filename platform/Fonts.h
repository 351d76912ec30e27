#pragma once
#include <string>
#include <vector>

#include "platform/Win32Types.h"

namespace platform {

namespace fonttype {
constexpr DWORD Raster = 1;    // RASTER_FONTTYPE
constexpr DWORD Device = 2;    // DEVICE_FONTTYPE
constexpr DWORD TrueType = 4;  // TRUETYPE_FONTTYPE
}  // namespace fonttype

// One family as EnumFontFamiliesW reports it: ENUMLOGFONTW's lfFaceName and the FontType argument.
struct FontFamily {
  std::u16string faceName;
  DWORD fontType = 0;

  bool operator==(const FontFamily&) const = default;
};

class Fonts {
public:
  virtual ~Fonts() = default;
  // EnumFontFamiliesW on the screen's device context with no family name: one entry per family,
  // in the enumeration's order.
  [[nodiscard]] virtual std::vector<FontFamily> EnumScreenFontFamilies() = 0;
};

}  // namespace platform

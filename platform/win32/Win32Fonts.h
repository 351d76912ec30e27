#pragma once
#include "platform/Fonts.h"

namespace platform::win32 {

class Win32Fonts final : public Fonts {
public:
  // EnumFontFamiliesW on GetDC(nullptr), released afterwards; empty when there is no screen DC.
  std::vector<FontFamily> EnumScreenFontFamilies() override;
};

}  // namespace platform::win32

#include "uiplugin/DeviceFonts.h"

#include "uiplugin/SubstitutionTable.h"

namespace uiplugin {

const std::array<char16_t[DeviceFontSlotUnits], DeviceFontCount> DeviceFontNames = {{
    u"Do not substitute", u"FontA11", u"FontA12", u"FontB11", u"FontB12", u"control", u"controlA", u"Barcode1",
    u"Barcode2", u"Barcode3", u"Barcode4", u"Barcode5", u"Barcode6", u"Barcode7", u"Barcode8",
}};

std::u16string_view DeviceFontName(std::size_t index) { return DeviceFontNames.at(index); }

std::u16string_view KnownDeviceFont(std::u16string_view entry) {
  for (std::size_t i = 1; i < DeviceFontCount; ++i) {
    if (entry == DeviceFontName(i)) return DeviceFontName(i);
  }
  return NoSubstitution();
}

std::u16string_view LookupDeviceFont(std::u16string_view family, std::u16string_view textForm) {
  std::u16string_view deviceFont;
  ForEachPair(textForm, [&](std::u16string_view pairFamily, std::u16string_view pairFont) {
    if (pairFamily != family) return true;
    deviceFont = pairFont;
    return false;
  });
  return KnownDeviceFont(deviceFont);
}

}  // namespace uiplugin

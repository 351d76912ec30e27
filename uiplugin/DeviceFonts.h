#pragma once
// The printer's built-in fonts that may stand in for a TrueType family, and the look-up of a family's
// choice in the text form of the substitution table.
#include <array>
#include <cstddef>
#include <string_view>

namespace uiplugin {

constexpr std::size_t DeviceFontCount = 15;
constexpr std::size_t DeviceFontSlotUnits = 20;  // each name lives in a slot of 20 code units

// Index 0 is "Do not substitute"; 1 to 14 are the device fonts proper.
extern const std::array<char16_t[DeviceFontSlotUnits], DeviceFontCount> DeviceFontNames;

std::u16string_view DeviceFontName(std::size_t index);
inline std::u16string_view NoSubstitution() { return DeviceFontName(0); }

// `entry` when it is exactly one of the device fonts 1 to 14, otherwise "Do not substitute".
std::u16string_view KnownDeviceFont(std::u16string_view entry);

// The device font of the first pair of `textForm` (family LF device font LF family ...) whose family is
// exactly `family`; "Do not substitute" when there is none or its device font is not a known one.
// Scans the table from the start; a whole list is looked up through FontRows.h instead.
std::u16string_view LookupDeviceFont(std::u16string_view family, std::u16string_view textForm);

}  // namespace uiplugin

#include "settingsfile/DevModeRecord.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "platform/PrintSpooler.h"
#include "platform/Windows1252.h"
#include "settingsfile/OemPrivateDevmode.h"

namespace settingsfile {
namespace {

namespace devmode = platform::devmode;

// DEVMODEA of 3.x, 4.0 and 5.0; a DEVMODEW is 64 bytes longer (two names of 32 UTF-16 units).
constexpr std::array<std::size_t, 3> kAnsiSizes = {124, 148, devmode::Size};
constexpr std::size_t kNameUnits = 32;
constexpr std::size_t kWideExtra = 2 * kNameUnits;
// DEVMODEW: dmSpecVersion to dmCollate lie between the two names, the rest after dmFormName.
constexpr std::size_t kWideMiddle = kNameUnits * 2, kWideFormName = 102, kWideTail = 166;
constexpr std::size_t kAnsiMiddle = kNameUnits, kAnsiTail = devmode::FormNameOffset + devmode::FormNameSize;

std::size_t Word(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return bytes.size() < offset + 2 ? 0 : std::size_t{bytes[offset]} | std::size_t{bytes[offset + 1]} << 8;
}

bool KnownAnsiSize(std::size_t size) { return std::find(kAnsiSizes.begin(), kAnsiSizes.end(), size) != kAnsiSizes.end(); }

// The offsets of dmSize and dmDriverExtra move with the device name.
bool Fits(std::span<const std::uint8_t> bytes, std::size_t nameBytes, std::size_t extra) {
  const std::size_t size = Word(bytes, nameBytes + devmode::SizeOffset - kNameUnits);
  return size >= extra && KnownAnsiSize(size - extra) &&
         bytes.size() == size + Word(bytes, nameBytes + devmode::DriverExtraOffset - kNameUnits);
}

// A UTF-16 name of 32 units as the 8-bit functions hold it, NUL-terminated within 32 bytes.
void NarrowName(std::span<const std::uint8_t> wide, std::uint8_t* out) {
  std::size_t units = 0;
  while (units < kNameUnits && (wide[2 * units] | wide[2 * units + 1]) != 0) ++units;
  const std::string narrow =
      platform::Utf16ToAnsiLossy(std::string_view(reinterpret_cast<const char*>(wide.data()), 2 * units), false);
  std::fill_n(out, kNameUnits, 0);
  std::copy_n(narrow.begin(), std::min(narrow.size(), kNameUnits - 1), out);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> AnsiDevMode(std::span<const std::uint8_t> bytes) {
  if (Fits(bytes, kNameUnits, 0)) return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
  if (!Fits(bytes, 2 * kNameUnits, kWideExtra)) return std::nullopt;
  std::vector<std::uint8_t> ansi(bytes.size() - kWideExtra, 0);
  NarrowName(bytes.subspan(0, kWideMiddle), ansi.data());
  std::copy(bytes.begin() + kWideMiddle, bytes.begin() + kWideFormName, ansi.begin() + kAnsiMiddle);
  NarrowName(bytes.subspan(kWideFormName, kWideExtra), ansi.data() + devmode::FormNameOffset);
  std::copy(bytes.begin() + kWideTail, bytes.end(), ansi.begin() + kAnsiTail);
  const std::size_t size = Word(bytes, kWideMiddle + devmode::SizeOffset - kNameUnits) - kWideExtra;
  ansi[devmode::SizeOffset] = static_cast<std::uint8_t>(size);
  ansi[devmode::SizeOffset + 1] = static_cast<std::uint8_t>(size >> 8);
  return ansi;
}

std::vector<std::uint8_t> DevModeForPrinter(std::vector<std::uint8_t> devMode, const std::string& printerName) {
  std::fill_n(devMode.begin(), kNameUnits, 0);
  std::copy_n(printerName.begin(), std::min(printerName.size(), kNameUnits - 1), devMode.begin());
  // The driver core finds the plug-in's section by its header; the last one that fits is taken.
  const std::size_t privateStart = Word(devMode, devmode::SizeOffset);
  constexpr std::size_t kSection = sizeof(OemPrivateDevmode);
  for (std::size_t at = devMode.size(); at >= privateStart + kSection; --at) {
    OemPrivateDevmode section;
    std::memcpy(&section, devMode.data() + at - kSection, kSection);
    if (section.dmExtraHeader.dwSize == kSection && section.dmExtraHeader.dwSignature == OemSignature) {
      ValidateOemPrivateDevmode(devMode.data() + at - kSection);
      break;
    }
  }
  return devMode;
}

}  // namespace settingsfile

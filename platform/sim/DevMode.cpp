#include "platform/sim/DevMode.h"

#include <algorithm>
#include <array>

#include "platform/PrintSpooler.h"

namespace platform::sim {
namespace {

constexpr std::array<std::size_t, 3> kKnownSizes = {124, 148, devmode::Size};  // DEVMODEA of 3.x, 4.0, 5.0

struct Field {
  DWORD flag;
  std::size_t offset;
  std::size_t size;
};

// The public fields a printer's device mode carries, by their dmFields bit.
constexpr std::array<Field, 16> kFields = {{
    {0x1, 44, 2},      // orientation
    {0x2, 46, 2},      // paper size
    {0x4, 48, 2},      // paper length
    {0x8, 50, 2},      // paper width
    {0x10, 52, 2},     // scale
    {0x100, 54, 2},    // copies
    {0x200, 56, 2},    // default source
    {0x400, 58, 2},    // print quality
    {0x800, 60, 2},    // color
    {0x1000, 62, 2},   // duplex
    {0x2000, 64, 2},   // y resolution
    {0x4000, 66, 2},   // TrueType option
    {0x8000, 68, 2},   // collate
    {devmode::DmFormName, devmode::FormNameOffset, devmode::FormNameSize},
    {0x2000000, 132, 4},  // media type
    {0x4000000, 136, 4},  // dither type
}};

std::uint32_t Get(const DevModeBytes& dm, std::size_t offset, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = size; i-- > 0;) value = value << 8 | dm[offset + i];
  return value;
}

void Put(DevModeBytes& dm, std::size_t offset, std::size_t size, std::uint32_t value) {
  for (std::size_t i = 0; i < size; ++i) dm[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

DevModeBytes DefaultDevMode(const std::string& printerName) {
  DevModeBytes dm(devmode::Size + kDriverExtraSize, 0);
  std::copy_n(printerName.begin(), std::min<std::size_t>(printerName.size(), 31), dm.begin());
  Put(dm, 32, 2, 0x0401);  // dmSpecVersion
  Put(dm, 34, 2, 0x0600);  // dmDriverVersion
  Put(dm, devmode::SizeOffset, 2, devmode::Size);
  Put(dm, devmode::DriverExtraOffset, 2, kDriverExtraSize);
  // Orientation, paper size, scale, copies, source, quality, y resolution, TrueType, collate, form.
  Put(dm, devmode::FieldsOffset, 4, 0x1 | 0x2 | 0x10 | 0x100 | 0x200 | 0x400 | 0x2000 | 0x4000 | 0x8000 | devmode::DmFormName);
  Put(dm, 44, 2, 1);    // portrait
  Put(dm, 46, 2, 1);    // Letter
  Put(dm, 52, 2, 100);  // 100 %
  Put(dm, 54, 2, 1);    // one copy
  Put(dm, 56, 2, 15);   // form source
  Put(dm, 58, 2, 203);  // dots per inch
  Put(dm, 64, 2, 203);
  Put(dm, 66, 2, 1);    // TrueType as bitmaps
  const std::string form = "Letter";
  std::copy(form.begin(), form.end(), dm.begin() + devmode::FormNameOffset);
  return dm;
}

bool IsAllZero(const DevModeBytes& bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b == 0; });
}

std::optional<std::size_t> DevModeSize(const DevModeBytes& bytes) {
  if (bytes.size() < devmode::FieldsOffset + 4) return std::nullopt;
  const std::size_t size = Get(bytes, devmode::SizeOffset, 2);
  const std::size_t total = size + Get(bytes, devmode::DriverExtraOffset, 2);
  if (std::find(kKnownSizes.begin(), kKnownSizes.end(), size) == kKnownSizes.end() || bytes.size() < total) {
    return std::nullopt;
  }
  return total;
}

DevModeBytes MergeDevMode(const DevModeBytes& current, const DevModeBytes& input) {
  DevModeBytes merged = current;
  constexpr std::size_t kHeader = devmode::FieldsOffset + 4;
  if (current.size() < kHeader || input.size() < kHeader) return merged;
  // A field exists only within both records' public parts (a 3.x record of 124 bytes has no media
  // or dither type); past dmSize lies the driver's private part, or nothing.
  const std::size_t common = std::min({std::size_t{Get(input, devmode::SizeOffset, 2)}, input.size(),
                                       std::size_t{Get(current, devmode::SizeOffset, 2)}, current.size()});
  const DWORD asked = Get(input, devmode::FieldsOffset, 4);
  DWORD fields = Get(current, devmode::FieldsOffset, 4);
  for (const Field& f : kFields) {
    if ((asked & f.flag) == 0 || f.offset + f.size > common) continue;
    std::copy_n(input.begin() + static_cast<std::ptrdiff_t>(f.offset), f.size,
                merged.begin() + static_cast<std::ptrdiff_t>(f.offset));
    fields |= f.flag;
  }
  Put(merged, devmode::FieldsOffset, 4, fields);
  return merged;
}

}  // namespace platform::sim

#pragma once
// The font substitution settings a printer keeps as printer data: the switch and the table.
//
// Text form of the table: family, LF, device font, LF, family, ... without terminators. Stored form
// (REG_MULTI_SZ): the text form with each LF turned into NUL and two NULs appended, UTF-16LE, so n
// units take (n + 2) * 2 bytes. A table without pairs is the text form " ".
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/PrintSpooler.h"

namespace uiplugin {

constexpr char16_t TableSeparator = u'\n';
constexpr std::u16string_view EmptyTableText = u" ";
// The largest stored table, terminators included, on both sides: a save refuses a larger one and a
// load reads one up to this size, so whatever the page saves loads back. A registry value in the
// standard hive format holds at most 1 MB; a table of 3,000 families of 30 units each at one device
// font takes a quarter of it. A larger stored value, which no save of this page writes, reads as empty.
constexpr platform::DWORD MaxTableBytes = 1024 * 1024;
// At most this many units of a stored table are ever scanned: the limit less one terminator.
constexpr std::size_t MaxTableUnits = MaxTableBytes / 2 - 1;

std::vector<std::uint8_t> StoredTableForm(std::u16string_view textForm);

// Each NUL not followed by another becomes LF; the first pair of NULs ends the table. Only the
// value's own whole code units are read: a value without the closing pair of NULs ends where it
// ends, and the odd last byte of a value of odd length is dropped.
std::u16string TextTableForm(std::span<const std::uint8_t> stored);

// Calls visit(family, deviceFont) for each pair of the text form, in order, while it returns true. A
// family left without a device font at the end pairs with an empty one.
template <class Visit>
void ForEachPair(std::u16string_view textForm, Visit visit) {
  if (textForm.empty()) return;
  std::size_t at = 0;
  auto next = [&] {
    const std::size_t end = std::min(textForm.find(TableSeparator, at), textForm.size());
    const std::u16string_view entry = textForm.substr(at, end - at);
    at = end + 1;
    return entry;
  };
  while (at <= textForm.size()) {
    const std::u16string_view family = next();
    const std::u16string_view deviceFont = at <= textForm.size() ? next() : std::u16string_view{};
    if (!visit(family, deviceFont)) return;
  }
}

// "TTFontSubTableEnable": on when the stored DWORD is non-zero; off when missing or unreadable.
bool ReadSubstitutionSwitch(platform::PrintSpooler& spooler, platform::RawPrinterHandle printer);
// True when the write succeeds.
bool WriteSubstitutionSwitch(platform::PrintSpooler& spooler, platform::RawPrinterHandle printer, bool on);

// "TTFontSubTable" as its text form; empty when it cannot be read or is larger than MaxTableBytes.
std::u16string LoadSubstitutionTable(platform::PrintSpooler& spooler, platform::RawPrinterHandle printer);

enum class TableSave { Written, TooLarge };
// Writes the table, then "TTFontSubTableSize" (the text form's length in units); failed writes go
// unreported and leave the table stored before with its size. A table whose stored form exceeds
// MaxTableBytes is refused whole and nothing is written.
[[nodiscard]] TableSave SaveSubstitutionTable(platform::PrintSpooler& spooler, platform::RawPrinterHandle printer,
                                              std::u16string_view textForm);

}  // namespace uiplugin

#include "uiplugin/SubstitutionTable.h"

#include <algorithm>

#include "platform/Registry.h"

namespace uiplugin {

namespace {

using platform::DWORD;

const std::u16string TableValue = u"TTFontSubTable";
const std::u16string SizeValue = u"TTFontSubTableSize";
const std::u16string SwitchValue = u"TTFontSubTableEnable";

std::vector<std::uint8_t> DwordBytes(DWORD value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

}  // namespace

std::vector<std::uint8_t> StoredTableForm(std::u16string_view textForm) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve((textForm.size() + 2) * 2);
  auto put = [&](char16_t unit) {
    bytes.push_back(static_cast<std::uint8_t>(unit));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  };
  for (const char16_t unit : textForm) put(unit == TableSeparator ? u'\0' : unit);
  put(u'\0');
  put(u'\0');
  return bytes;
}

std::u16string TextTableForm(std::span<const std::uint8_t> stored) {
  const std::size_t units = stored.size() / 2;
  // Past the value's end reads as NUL, as if the buffer had been cleared.
  auto unitAt = [&](std::size_t i) -> char16_t {
    return i < units ? static_cast<char16_t>(stored[2 * i] | stored[2 * i + 1] << 8) : u'\0';
  };
  std::u16string text;
  const std::size_t limit = std::min(units, MaxTableUnits);
  for (std::size_t i = 0; i < limit; ++i) {
    char16_t unit = unitAt(i);
    if (unit == u'\0') {
      if (unitAt(i + 1) == u'\0') break;
      unit = TableSeparator;
    }
    text.push_back(unit);
  }
  return text;
}

bool ReadSubstitutionSwitch(platform::PrintSpooler& spooler, platform::RawPrinterHandle printer) {
  DWORD type = 0;
  DWORD needed = 0;
  std::vector<std::uint8_t> data;
  if (spooler.GetPrinterDataW(printer, SwitchValue, sizeof(DWORD), type, data, needed) != platform::winerr::Success) {
    return false;
  }
  data.resize(std::min<std::size_t>({data.size(), needed, sizeof(DWORD)}));
  return std::any_of(data.begin(), data.end(), [](std::uint8_t byte) { return byte != 0; });
}

bool WriteSubstitutionSwitch(platform::PrintSpooler& spooler, platform::RawPrinterHandle printer, bool on) {
  return spooler.SetPrinterDataW(printer, SwitchValue, platform::regtype::Dword, DwordBytes(on ? 1 : 0)) ==
         platform::winerr::Success;
}

std::u16string LoadSubstitutionTable(platform::PrintSpooler& spooler, platform::RawPrinterHandle printer) {
  DWORD type = 0;
  DWORD needed = 0;
  std::vector<std::uint8_t> data;
  // The size first: the buffer is then the value's own, not the largest a table may take.
  DWORD result = spooler.GetPrinterDataW(printer, TableValue, 0, type, data, needed);
  if (result == platform::winerr::MoreData && needed <= MaxTableBytes) {
    result = spooler.GetPrinterDataW(printer, TableValue, needed, type, data, needed);
  }
  if (result != platform::winerr::Success) return {};
  data.resize(std::min<std::size_t>(data.size(), needed));
  return TextTableForm(data);
}

TableSave SaveSubstitutionTable(platform::PrintSpooler& spooler, platform::RawPrinterHandle printer,
                                std::u16string_view textForm) {
  // Refused rather than cut: a cut table would drop the choices of the last families unseen and
  // replace the table saved before, while a refusal keeps that table whole and the rows on screen
  // as they are, for the user to substitute fewer fonts.
  std::vector<std::uint8_t> stored = StoredTableForm(textForm);
  if (stored.size() > MaxTableBytes) return TableSave::TooLarge;
  // The table and its size are one setting: when the size cannot follow the new table, the table
  // read before is put back; a table that cannot be read first is not replaced.
  DWORD type = 0;
  DWORD needed = 0;
  std::vector<std::uint8_t> previous;
  DWORD read = spooler.GetPrinterDataW(printer, TableValue, 0, type, previous, needed);
  if (read == platform::winerr::MoreData) {
    read = spooler.GetPrinterDataW(printer, TableValue, needed, type, previous, needed);
  }
  if (read == platform::winerr::FileNotFound) {
    type = platform::regtype::MultiSz;  // nothing stored reads as a table without pairs
    previous = StoredTableForm(EmptyTableText);
  } else if (read != platform::winerr::Success) {
    return TableSave::Written;  // failed writes go unreported
  }
  if (spooler.SetPrinterDataW(printer, TableValue, platform::regtype::MultiSz, stored) != platform::winerr::Success)
    return TableSave::Written;
  if (spooler.SetPrinterDataW(printer, SizeValue, platform::regtype::Dword,
                              DwordBytes(static_cast<DWORD>(textForm.size()))) != platform::winerr::Success) {
    (void)spooler.SetPrinterDataW(printer, TableValue, type, previous);
  }
  return TableSave::Written;
}

}  // namespace uiplugin

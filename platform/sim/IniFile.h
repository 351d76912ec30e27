#pragma once
// Reading an INI file the way the Windows profile functions do: lines end at any run of CR and
// LF, blanks (tab, LF, VT, FF, CR, ^Z, space) around names and values do not count, a line
// without "=" is an entry without a value, names match without regard to case, and the first of
// repeated sections or keys wins. Names and values keep any NUL the file holds; the "A"
// functions see them only up to it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::sim {

struct IniEntry {
  std::string name;
  std::optional<std::string> value;  // absent for a line without "="
};

struct IniSection {
  std::string name;
  std::vector<IniEntry> entries;
};

// The first section is the nameless one holding the lines before any section header.
using IniDocument = std::vector<IniSection>;

// The file's text in the 8-bit code page: a UTF-8 or UTF-16 byte-order mark is honoured.
std::string DecodeProfileBytes(std::string_view bytes);
IniDocument ParseProfile(std::string_view text);

// GetPrivateProfileStringA's lookup: section and key trimmed of blanks, the first matching
// section only. Null when there is no such entry.
const IniEntry* FindProfileEntry(const IniDocument& doc, std::string_view section, std::string_view key);

// GetPrivateProfileSectionA's listing of a section: "name=value" or "name" per entry, each
// followed by a NUL; comment lines (";...") and empty lines are left out. Empty when missing.
std::string ListProfileSection(const IniDocument& doc, std::string_view section);

// WritePrivateProfileStringA's change of a file's bytes: the first entry `key` of the first
// section `section` becomes "key=value"; without one the entry follows the section's last entry,
// and a missing section is added at the end. Lines end in CR LF; a file with a byte-order mark
// keeps its encoding.
std::string SetProfileEntry(std::string_view bytes, std::string_view section, std::string_view key,
                            std::string_view value);

}  // namespace platform::sim

#pragma once
// 8-bit text as the "A" functions see it: Windows-1252 bytes, compared without regard to case
// the way Windows compares registry and profile names.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::sim {

unsigned char FoldUpper(unsigned char c);
bool EqualNoCase(std::string_view a, std::string_view b);
// <0, 0, >0 like strcmp, on the upper-cased bytes.
int CompareNoCase(std::string_view a, std::string_view b);
struct LessNoCase {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return CompareNoCase(a, b) < 0; }
};

// The part of a C string the "A" functions see: everything before the first NUL.
std::string_view UpToNul(std::string_view text);

// Windows-1252 <-> UTF-8 (machine.json is UTF-8; the machine's 8-bit text is Windows-1252).
std::string AnsiToUtf8(std::string_view ansi);
// nullopt when the text is not valid UTF-8 or holds a character Windows-1252 lacks.
std::optional<std::string> Utf8ToAnsi(std::string_view utf8);
// Like Utf8ToAnsi, but bad sequences and missing characters become '?', as WideCharToMultiByte does.
std::string Utf8ToAnsiLossy(std::string_view utf8);
std::string Utf16ToAnsiLossy(std::string_view bytes, bool bigEndian);

std::string ToHex(const std::vector<std::uint8_t>& bytes);
// Accepts pairs of hex digits, optionally separated by blanks or commas.
std::optional<std::vector<std::uint8_t>> FromHex(std::string_view text);

}  // namespace platform::sim

#pragma once
// Text compared without regard to case as Windows compares names (registry keys, profile sections,
// ports, host names, list and combo box items): each character is taken as its upper case, by
// Windows' own table for the letters of Windows-1252, and in UTF-16 also for Greek and Cyrillic.
#include <string>
#include <string_view>

namespace platform {

unsigned char FoldUpper(unsigned char c);  // a Windows-1252 byte
char16_t FoldUpper(char16_t c);            // a UTF-16 unit

// The text with each character upper-cased, for a search within it.
std::string UpperCase(std::string_view text);

// <0, 0, >0 like strcmp, on the upper-cased characters.
int CompareNoCase(std::string_view a, std::string_view b);
int CompareNoCase(std::u16string_view a, std::u16string_view b);

inline bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}
inline bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && CompareNoCase(a, b) == 0;
}
inline bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}
inline bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

struct LessNoCase {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const { return CompareNoCase(a, b) < 0; }
  bool operator()(std::u16string_view a, std::u16string_view b) const { return CompareNoCase(a, b) < 0; }
};

}  // namespace platform

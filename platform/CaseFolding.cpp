#include "platform/CaseFolding.h"

#include <algorithm>

namespace platform {
namespace {

// Unit: what each character is folded as (bytes for 8-bit text: a signed char would fold nothing above 0x7F).
template <class Unit, class Text>
int Compare(Text a, Text b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int x = FoldUpper(static_cast<Unit>(a[i]));
    const int y = FoldUpper(static_cast<Unit>(b[i]));
    if (x != y) return x - y;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace

unsigned char FoldUpper(unsigned char c) {
  if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 0x20);
  switch (c) {
    case 0x9A: return 0x8A;  // š
    case 0x9C: return 0x8C;  // œ
    case 0x9E: return 0x8E;  // ž
    case 0xFF: return 0x9F;  // ÿ
    default: return c;
  }
}

char16_t FoldUpper(char16_t c) {
  if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
      (c >= 0x430 && c <= 0x44F))
    return static_cast<char16_t>(c - 0x20);
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 0x50);
  switch (c) {
    case 0x153: case 0x161: case 0x17E: return static_cast<char16_t>(c - 1);
    case 0xFF: return 0x178;
    default: return c;
  }
}

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(FoldUpper(static_cast<unsigned char>(c)));
  return upper;
}

int CompareNoCase(std::string_view a, std::string_view b) { return Compare<unsigned char>(a, b); }

int CompareNoCase(std::u16string_view a, std::u16string_view b) { return Compare<char16_t>(a, b); }

}  // namespace platform

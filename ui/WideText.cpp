#include "ui/WideText.h"

#include "platform/Windows1252.h"

namespace ui {

std::string ToAnsi(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return platform::Utf16ToAnsiLossy(bytes, false);
}

std::u16string ToWide(std::string_view ansi) { return platform::AnsiToUtf16(ansi); }

}  // namespace ui

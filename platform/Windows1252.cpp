#include "platform/Windows1252.h"

#include <array>

namespace platform {
namespace {

// Unicode code points of Windows-1252 bytes 0x80..0x9F; the five unassigned bytes map to
// the C1 control of the same value, as Windows' best-fit tables do, so every byte round-trips.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t ToCodePoint(unsigned char c) {
  if (c >= 0x80 && c <= 0x9F) return kHighControls[c - 0x80];
  return c;
}

std::optional<unsigned char> FromCodePoint(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == cp) return static_cast<unsigned char>(0x80 + i);
  }
  return std::nullopt;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

constexpr char32_t kInvalid = 0xFFFFFFFF;

// Decodes one UTF-8 sequence at `pos`, advancing it; kInvalid for a malformed one (one byte consumed).
char32_t NextUtf8(std::string_view s, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(s[pos++]);
  if (lead < 0x80) return lead;
  int extra = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, cp = lead & 0x1F, min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, cp = lead & 0x0F, min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, cp = lead & 0x07, min = 0x10000;
  } else {
    return kInvalid;
  }
  std::size_t p = pos;
  for (int i = 0; i < extra; ++i, ++p) {
    if (p >= s.size() || (static_cast<unsigned char>(s[p]) & 0xC0) != 0x80) return kInvalid;
    cp = (cp << 6) | (static_cast<unsigned char>(s[p]) & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kInvalid;
  pos = p;
  return cp;
}

}  // namespace

std::string AnsiToUtf8(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size());
  for (char c : ansi) AppendUtf8(out, ToCodePoint(static_cast<unsigned char>(c)));
  return out;
}

std::string AnsiToPrintableUtf8(std::string_view ansi) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(ansi.size());
  for (char c : ansi) {
    const char32_t cp = ToCodePoint(static_cast<unsigned char>(c));
    if (cp >= 0x20 && (cp < 0x7F || cp > 0x9F)) {
      AppendUtf8(out, cp);
    } else if (c == '\t' || c == '\n' || c == '\r') {
      out += c == '\t' ? "\\t" : c == '\n' ? "\\n" : "\\r";
    } else {
      out += "\\x";
      out += kHex[cp >> 4];
      out += kHex[cp & 0xF];
    }
  }
  return out;
}

std::optional<std::string> Utf8ToAnsi(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t cp = NextUtf8(utf8, pos);
    if (cp == kInvalid) return std::nullopt;
    const auto byte = FromCodePoint(cp);
    if (!byte) return std::nullopt;
    out += static_cast<char>(*byte);
  }
  return out;
}

std::string Utf8ToAnsiLossy(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t cp = NextUtf8(utf8, pos);
    const auto byte = cp == kInvalid ? std::nullopt : FromCodePoint(cp);
    out += byte ? static_cast<char>(*byte) : '?';
  }
  return out;
}

std::string Utf16ToAnsiLossy(std::string_view bytes, bool bigEndian) {
  std::string out;
  out.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
    const char32_t unit = bigEndian ? (b0 << 8 | b1) : (b1 << 8 | b0);
    // A surrogate pair names a character outside Windows-1252 either way.
    const auto byte = FromCodePoint(unit);
    out += byte ? static_cast<char>(*byte) : '?';
  }
  return out;
}

std::u16string AnsiToUtf16(std::string_view ansi) {
  std::u16string out;
  out.reserve(ansi.size());
  for (char c : ansi) out += static_cast<char16_t>(ToCodePoint(static_cast<unsigned char>(c)));
  return out;
}

std::optional<std::string> Utf16ToAnsi(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char16_t unit : text) {
    // A surrogate is never a Windows-1252 character.
    const auto byte = FromCodePoint(unit);
    if (!byte) return std::nullopt;
    out += static_cast<char>(*byte);
  }
  return out;
}

std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t cp = NextUtf8(utf8, pos);
    if (cp == kInvalid) return std::nullopt;
    if (cp < 0x10000) {
      out += static_cast<char16_t>(cp);
    } else {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    }
  }
  return out;
}

}  // namespace platform

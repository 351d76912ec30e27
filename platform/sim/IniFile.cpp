#include "platform/sim/IniFile.h"

#include "platform/sim/Text.h"

namespace platform::sim {
namespace {

bool IsBlank(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 0x09 && u <= 0x0D) || u == 0x1A || u == 0x20;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string DecodeProfileBytes(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return Utf8ToAnsiLossy(bytes.substr(3));
  if (bytes.substr(0, 2) == "\xFF\xFE") return Utf16ToAnsiLossy(bytes.substr(2), false);
  if (bytes.substr(0, 2) == "\xFE\xFF") return Utf16ToAnsiLossy(bytes.substr(2), true);
  return std::string(bytes);
}

IniDocument ParseProfile(std::string_view text) {
  IniDocument doc(1);
  const IniEntry* previous = nullptr;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t start = pos;
    while (pos < text.size() && text[pos] != '\n' && text[pos] != '\r') ++pos;
    const std::string_view line = Trim(text.substr(start, pos - start));
    while (pos < text.size() && (text[pos] == '\n' || text[pos] == '\r')) ++pos;
    if (line.empty()) continue;

    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      // A "[" line without "]" is an ordinary entry.
      if (close != std::string_view::npos && close > 0) {
        doc.push_back({std::string(Trim(line.substr(1, close - 1))), {}});
        previous = nullptr;
        continue;
      }
    }

    IniEntry entry;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      entry.name = line;
    } else {
      entry.name = Trim(line.substr(0, equals));
      entry.value = std::string(Trim(line.substr(equals + 1)));
    }
    // Of consecutive nameless entries only the first is kept.
    if (!entry.name.empty() || !previous || !UpToNul(previous->name).empty()) {
      std::vector<IniEntry>& entries = doc.back().entries;
      entries.push_back(std::move(entry));
      previous = &entries.back();
    }
  }
  return doc;
}

const IniEntry* FindProfileEntry(const IniDocument& doc, std::string_view section, std::string_view key) {
  const std::string_view wantedSection = Trim(UpToNul(section));
  const std::string_view wantedKey = Trim(UpToNul(key));
  for (const IniSection& s : doc) {
    if (!EqualNoCase(UpToNul(s.name), wantedSection)) continue;
    for (const IniEntry& entry : s.entries) {
      if (EqualNoCase(UpToNul(entry.name), wantedKey)) return &entry;
    }
    return nullptr;
  }
  return nullptr;
}

std::string ListProfileSection(const IniDocument& doc, std::string_view section) {
  const std::string_view wanted = UpToNul(section);
  for (const IniSection& s : doc) {
    if (!EqualNoCase(UpToNul(s.name), wanted)) continue;
    std::string listing;
    for (const IniEntry& entry : s.entries) {
      const std::string_view name = UpToNul(entry.name);
      if (name.empty() && !entry.value) continue;
      if (!name.empty() && name.front() == ';') continue;
      listing += name;
      if (entry.value) {
        listing += '=';
        listing += UpToNul(*entry.value);
      }
      listing += '\0';
    }
    return listing;
  }
  return {};
}

std::string SetProfileEntry(std::string_view bytes, std::string_view section, std::string_view key,
                            std::string_view value) {
  const std::string text = DecodeProfileBytes(bytes);
  // Lines end where the reader ends them (CR LF, LF or a lone CR), or the entry written may not be
  // the one read back.
  std::vector<std::string> lines;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(pos, end - pos));
    pos = text.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
  }

  const std::string entry = std::string(key) + "=" + std::string(value);
  bool inSection = false;
  bool sectionFound = false;
  bool replaced = false;
  std::size_t insertAt = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = Trim(lines[i]);
    const std::size_t close = line.rfind(']');
    if (!line.empty() && line.front() == '[' && close != std::string_view::npos && close > 0) {
      if (inSection) break;
      inSection = EqualNoCase(Trim(line.substr(1, close - 1)), Trim(section));
      if (inSection) sectionFound = true, insertAt = i + 1;
      continue;
    }
    if (!inSection || line.empty()) continue;
    if (EqualNoCase(Trim(line.substr(0, line.find('='))), Trim(key))) {
      lines[i] = entry;
      replaced = true;
      break;
    }
    insertAt = i + 1;
  }
  if (!sectionFound) {
    if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
    lines.push_back("[" + std::string(section) + "]");
    lines.push_back(entry);
  } else if (!replaced) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
  }

  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return "\xEF\xBB\xBF" + AnsiToUtf8(out);
  const bool littleEndian = bytes.substr(0, 2) == "\xFF\xFE";
  if (!littleEndian && bytes.substr(0, 2) != "\xFE\xFF") return out;
  std::string wide = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  for (const char16_t unit : AnsiToUtf16(out)) {
    const char low = static_cast<char>(unit & 0xFF);
    const char high = static_cast<char>(unit >> 8);
    wide += littleEndian ? std::string{low, high} : std::string{high, low};
  }
  return wide;
}

}  // namespace platform::sim

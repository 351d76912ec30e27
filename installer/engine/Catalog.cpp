#include "engine/Catalog.h"

#include <algorithm>
#include <cstdio>

#include "engine/TextUtil.h"

namespace {

constexpr std::size_t kSectionBufferSize = 1024;
constexpr std::size_t kValueBufferSize = 100;
constexpr std::size_t kInterfaceBufferSize = 512;

// The section as one text, entries separated by line feeds.
std::string ReadSectionText(platform::PrivateProfile& profile) {
  std::vector<char> buffer(kSectionBufferSize, '\0');
  const platform::DWORD count = profile.GetPrivateProfileSectionA(kSupportedPrintersSection, buffer, kCatalogFile);
  const std::size_t limit = std::min<std::size_t>(count, buffer.size());
  std::string text;
  for (std::size_t i = 0; i < limit; ++i) {
    if (buffer[i] != '\0') {
      text += buffer[i];
      continue;
    }
    if (i + 1 < buffer.size() && buffer[i + 1] == '\0') break;
    text += '\n';
  }
  return text;
}

bool IsBoardMarker(const std::string& token) {
  return token.find("Ostrel") != std::string::npos || token.find("Lindor") != std::string::npos;
}

std::string ReadBuffered(platform::PrivateProfile& profile, const std::string& section, const std::string& key,
                         const std::string& defaultValue, std::size_t size) {
  std::vector<char> buffer(size, '\0');
  // The count is not needed: the text is read up to its NUL.
  (void)profile.GetPrivateProfileStringA(section, key, defaultValue, buffer, kCatalogFile);
  buffer.back() = '\0';
  return std::string(buffer.data());
}

}  // namespace

bool IsListedModel(const std::string& name) {
  return name.find("RQ") != std::string::npos || name.find("VT") != std::string::npos;
}

std::vector<CatalogEntry> ReadCatalogEntries(platform::PrivateProfile& profile) {
  std::vector<CatalogEntry> entries;
  std::uint32_t currentFlags = 0;
  std::string rest = ReadSectionText(profile);
  while (!rest.empty()) {
    const std::size_t cut = rest.find_first_of("=|,\n");
    std::string token = rest.substr(0, cut);
    rest = cut == std::string::npos ? std::string() : rest.substr(cut + 1);
    token = TrimWhiteSpace(token);
    if (token.empty()) continue;
    if (IsBoardMarker(token)) {
      currentFlags = kWidth48Flag | kWidth80Flag;
      continue;
    }
    auto known = std::find_if(entries.begin(), entries.end(), [&](const CatalogEntry& e) { return e.name == token; });
    if (known == entries.end()) {
      entries.push_back({token, currentFlags});
    } else {
      known->flags |= currentFlags;
    }
  }
  return entries;
}

std::vector<std::string> ReadSupportedPrinters(platform::PrivateProfile& profile, bool decorate) {
  std::vector<std::string> list;
  for (const CatalogEntry& entry : ReadCatalogEntries(profile)) {
    if (!decorate) {
      list.push_back(entry.name);
      continue;
    }
    char flags[16];
    std::snprintf(flags, sizeof flags, " $%04X", static_cast<unsigned>(entry.flags));
    list.push_back(entry.name + flags);
  }
  return list;
}

bool IsOstrelModel(platform::PrivateProfile& profile, const std::string& name, std::string* value) {
  const std::string ostrel = ReadBuffered(profile, kSupportedPrintersSection, "Ostrel", "", kValueBufferSize);
  const bool found = name.find(ostrel) != std::string::npos;
  if (found && value) *value = TrimWhiteSpace(ostrel);
  return found;
}

bool IsInterfaceSupported(platform::PrivateProfile& profile, const std::string& model, int kind) {
  static constexpr const char* kKeys[] = {"SERIAL", "PARALLEL", "USB", "ETHERNET"};
  if (kind < 0 || kind > 3) return false;
  const std::string value = ReadBuffered(profile, kInterfaceSection, kKeys[kind], "", kInterfaceBufferSize);
  return value.find(model) != std::string::npos;
}

std::string ReadCatalogValue(platform::PrivateProfile& profile, const std::string& section, const std::string& key,
                             const std::string& defaultValue) {
  return ReadBuffered(profile, section, key, defaultValue, kValueBufferSize);
}

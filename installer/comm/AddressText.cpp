#include "comm/AddressText.h"

#include <cstdio>

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string DottedQuad(const Octets& octets, bool padded) {
  char text[16];
  std::snprintf(text, sizeof text, padded ? "%03u.%03u.%03u.%03u" : "%u.%u.%u.%u", unsigned{octets[0]},
                unsigned{octets[1]}, unsigned{octets[2]}, unsigned{octets[3]});
  return text;
}

std::optional<Octets> ParseDottedQuad(const std::string& text) {
  unsigned fields[4] = {};
  if (std::sscanf(text.c_str(), "%u.%u.%u.%u", &fields[0], &fields[1], &fields[2], &fields[3]) != 4)
    return std::nullopt;
  Octets octets{};
  for (std::size_t i = 0; i < octets.size(); ++i) octets[i] = static_cast<std::uint8_t>(fields[i] & 0xFF);
  return octets;
}

std::string HexPairs(std::span<const std::uint8_t> bytes, char separator) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (const std::uint8_t byte : bytes) {
    if (!text.empty()) text += separator;
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
  }
  return text;
}

std::string MacText(const MacAddress& mac) { return HexPairs(mac, ':'); }

std::optional<MacAddress> ParseMac(const std::string& text) {
  if (text.size() != 17 || (text[2] != ':' && text[2] != '-')) return std::nullopt;
  MacAddress mac{};
  for (std::size_t i = 0; i < mac.size(); ++i) {
    if (i > 0 && text[3 * i - 1] != text[2]) return std::nullopt;
    const int high = HexDigit(text[3 * i]);
    const int low = HexDigit(text[3 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    mac[i] = static_cast<std::uint8_t>(high * 16 + low);
  }
  return mac;
}

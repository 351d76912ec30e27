#include "platform/Registry.h"

#include <algorithm>

namespace platform {

std::vector<std::uint8_t> RegSzBytes(const std::string& text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

std::string RegSzText(const std::vector<std::uint8_t>& data) {
  auto end = std::find(data.begin(), data.end(), std::uint8_t{0});
  return std::string(data.begin(), end);
}

std::vector<std::uint8_t> RegDwordBytes(DWORD value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

}  // namespace platform

#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The names of REG_MULTI_SZ-style data, up to the empty name that ends them (or the data's end).
inline std::vector<std::string> MultiSzNames(std::string_view data) {
  std::vector<std::string> names;
  std::string current;
  for (const char c : data) {
    if (c != '\0') {
      current += c;
    } else if (current.empty()) {
      break;
    } else {
      names.push_back(std::move(current));
      current.clear();
    }
  }
  return names;
}

}  // namespace platform

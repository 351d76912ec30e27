#include "engine/MultiString.h"

#include <algorithm>

std::size_t MultiStringSize(const std::vector<std::string>& names) {
  std::size_t size = 1;
  for (const std::string& name : names) size += name.size() + 1;
  return size;
}

std::optional<std::size_t> WriteMultiString(std::span<char> buffer, const std::vector<std::string>& names) {
  const std::size_t size = MultiStringSize(names);
  if (size > buffer.size()) return std::nullopt;
  auto out = buffer.begin();
  for (const std::string& name : names) {
    out = std::copy(name.begin(), name.end(), out);
    *out++ = '\0';
  }
  *out = '\0';
  return size;
}

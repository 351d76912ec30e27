#include "engine/TextUtil.h"

bool IsCWhiteSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string TrimLeadingWhiteSpace(const std::string& text) {
  std::size_t first = 0;
  while (first < text.size() && IsCWhiteSpace(text[first])) ++first;
  return text.substr(first);
}

std::string TrimTrailingWhiteSpace(const std::string& text) {
  std::size_t end = text.size();
  while (end > 0 && IsCWhiteSpace(text[end - 1])) --end;
  return text.substr(0, end);
}

std::string TrimWhiteSpace(const std::string& text) { return TrimTrailingWhiteSpace(TrimLeadingWhiteSpace(text)); }

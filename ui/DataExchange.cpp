#include "ui/DataExchange.h"

#include <limits>

namespace ui {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string ReplaceAll(std::string text, const std::string& what, const std::string& with) {
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

}  // namespace

std::optional<std::uint32_t> ParseUnsignedText(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  std::uint64_t value = 0;
  const std::size_t digitsFrom = i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  }
  if (i == digitsFrom) return std::nullopt;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i != text.size()) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

bool ExchangeUnsigned(Dialog& dialog, int id, std::uint32_t& value, std::uint32_t min, std::uint32_t max) {
  Edit edit = dialog.GetEdit(id);
  const std::optional<std::uint32_t> typed = ParseUnsignedText(edit.GetText());
  std::string complaint;
  if (!typed) {
    complaint = dialog.kit().LoadText(kIdsParseUInt);
  } else if (*typed < min || *typed > max) {
    complaint = ReplaceAll(ReplaceAll(dialog.kit().LoadText(kIdsParseIntRange), "%1", std::to_string(min)), "%2",
                           std::to_string(max));
  } else {
    value = *typed;
    return true;
  }
  dialog.kit().AppMessageBox(complaint);
  edit.Focus();
  return false;
}

}  // namespace ui

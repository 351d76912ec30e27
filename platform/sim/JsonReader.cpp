#include "platform/sim/JsonReader.h"

#include <algorithm>

#include "platform/sim/Text.h"

namespace platform::sim {

DWORD JsonReader::Dword(const Json& j, const std::string& field, DWORD max) const {
  if (!j.is_number_unsigned() || j.get<std::uint64_t>() > max) {
    Fail("\"" + field + "\" must be a whole number from 0 to " + std::to_string(max));
  }
  return static_cast<DWORD>(j.get<std::uint64_t>());
}

bool JsonReader::Bool(const Json& j, const std::string& field) const {
  if (!j.is_boolean()) Fail("\"" + field + "\" must be true or false");
  return j.get<bool>();
}

std::string JsonReader::Text(const Json& j, const std::string& field) const {
  if (!j.is_string()) Fail("\"" + field + "\" must be a text");
  auto ansi = Utf8ToAnsi(j.get<std::string>());
  if (!ansi) Fail("\"" + field + "\" has a character outside Windows-1252");
  return *ansi;
}

std::vector<std::string> JsonReader::TextList(const Json& j, const std::string& field) const {
  if (!j.is_array()) Fail("\"" + field + "\" must be a list of texts");
  std::vector<std::string> texts;
  for (const Json& item : j) texts.push_back(Text(item, field + "[" + std::to_string(texts.size()) + "]"));
  return texts;
}

void JsonReader::Object(const Json& j, const std::string& field, std::span<const char* const> known) const {
  if (!j.is_object()) Fail("\"" + field + "\" must be an object");
  for (const auto& item : j.items()) {  // no structured binding: clang 14 cannot capture one
    const std::string& name = item.key();
    if (std::find_if(known.begin(), known.end(), [&](const char* k) { return name == k; }) == known.end()) {
      Fail("\"" + field + "\" has an unknown field \"" + name + "\"");
    }
  }
}

}  // namespace platform::sim

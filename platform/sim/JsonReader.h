#pragma once
// Checked reading of machine.json members: every problem becomes a MachineFileError that names
// the file and the member.
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/Win32Types.h"
#include "platform/sim/MachineFileError.h"

namespace platform::sim {

class JsonReader {
public:
  using Json = nlohmann::ordered_json;

  explicit JsonReader(const std::string& label) : label_(label) {}

  [[noreturn]] void Fail(const std::string& problem) const { throw MachineFileError(label_ + ": " + problem); }

  const std::string& label() const { return label_; }
  DWORD Dword(const Json& j, const std::string& field, DWORD max = 0xFFFFFFFF) const;
  bool Bool(const Json& j, const std::string& field) const;
  // Windows-1252 text from the file's UTF-8.
  std::string Text(const Json& j, const std::string& field) const;
  std::vector<std::string> TextList(const Json& j, const std::string& field) const;
  // An object whose members are all among `known`.
  void Object(const Json& j, const std::string& field, std::span<const char* const> known) const;
  void Object(const Json& j, const std::string& field, std::initializer_list<const char*> known) const {
    Object(j, field, std::span(known.begin(), known.size()));
  }

private:
  const std::string& label_;
};

}  // namespace platform::sim

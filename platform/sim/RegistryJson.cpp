#include "platform/sim/RegistryJson.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

#include "platform/sim/JsonDocument.h"
#include "platform/sim/MachineFileError.h"
#include "platform/sim/Text.h"

namespace platform::sim {
namespace {

using Json = nlohmann::ordered_json;
using Bytes = std::vector<std::uint8_t>;

Bytes LittleEndian(std::uint64_t value, std::size_t size) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
  return bytes;
}

std::uint64_t FromLittleEndian(const Bytes& bytes) {
  std::uint64_t value = 0;
  for (std::size_t i = bytes.size(); i-- > 0;) value = value << 8 | bytes[i];
  return value;
}

Bytes TextBytes(std::string_view text) {
  Bytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

// The text of text + NUL data; nullopt when the data is not exactly that.
std::optional<std::string> CanonicalText(const Bytes& data) {
  if (data.empty() || data.back() != 0) return std::nullopt;
  if (std::find(data.begin(), data.end() - 1, std::uint8_t{0}) != data.end() - 1) return std::nullopt;
  return std::string(data.begin(), data.end() - 1);
}

Bytes MultiTextBytes(const std::vector<std::string>& texts) {
  Bytes bytes;
  for (const std::string& text : texts) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
  }
  bytes.push_back(0);
  return bytes;
}

std::optional<std::vector<std::string>> CanonicalMultiText(const Bytes& data) {
  if (data.empty() || data.back() != 0) return std::nullopt;
  std::vector<std::string> texts;
  std::string current;
  for (std::size_t i = 0; i + 1 < data.size(); ++i) {
    if (data[i] != 0) {
      current += static_cast<char>(data[i]);
    } else {
      if (current.empty()) return std::nullopt;
      texts.push_back(std::move(current));
      current.clear();
    }
  }
  if (!current.empty()) return std::nullopt;
  return texts;
}

class Reader {
public:
  explicit Reader(const std::string& label) : label_(label) {}

  [[noreturn]] void Fail(const std::string& problem) const { throw MachineFileError(label_ + ": " + problem); }

  std::string Ansi(const std::string& utf8, const std::string& what) const {
    auto ansi = Utf8ToAnsi(utf8);
    if (!ansi) Fail(what + " has a character outside Windows-1252");
    if (ansi->find('\0') != std::string::npos) Fail(what + " holds a NUL character");
    return *ansi;
  }

  std::uint64_t Unsigned(const Json& j, std::uint64_t max, const std::string& what) const {
    if (!j.is_number_unsigned() || j.get<std::uint64_t>() > max) {
      Fail(what + " must be a whole number from 0 to " + std::to_string(max));
    }
    return j.get<std::uint64_t>();
  }

  void Value(const Json& j, const std::string& what, DWORD& type, Bytes& data) const {
    if (j.is_string()) {
      type = regtype::Sz;
      data = TextBytes(Ansi(j.get<std::string>(), what));
    } else if (j.is_number()) {
      type = regtype::Dword;
      data = LittleEndian(Unsigned(j, 0xFFFFFFFF, what), 4);
    } else if (j.is_array()) {
      std::vector<std::string> texts;
      for (const Json& item : j) {
        if (!item.is_string() || item.get<std::string>().empty()) Fail(what + " must list non-empty texts");
        texts.push_back(Ansi(item.get<std::string>(), what));
      }
      type = regtype::MultiSz;
      data = MultiTextBytes(texts);
    } else if (j.is_object() && j.size() == 1 && j.contains("expandSz") && j["expandSz"].is_string()) {
      type = regtype::ExpandSz;
      data = TextBytes(Ansi(j["expandSz"].get<std::string>(), what));
    } else if (j.is_object() && j.size() == 1 && j.contains("qword")) {
      type = regtype::Qword;
      data = LittleEndian(Unsigned(j["qword"], UINT64_MAX, what), 8);
    } else if (j.is_object() && j.contains("hex") && j["hex"].is_string() &&
               (j.size() == 1 || (j.size() == 2 && j.contains("type")))) {
      type = j.contains("type") ? static_cast<DWORD>(Unsigned(j["type"], 0xFFFFFFFF, what + " type")) : regtype::Binary;
      auto bytes = FromHex(j["hex"].get<std::string>());
      if (!bytes) Fail(what + " has hex text that is not pairs of hex digits");
      data = std::move(*bytes);
    } else {
      Fail(what + " must be a text, a number, a list of texts, or an object with \"hex\", \"expandSz\" or \"qword\"");
    }
  }

private:
  const std::string& label_;
};

Json ValueJson(DWORD type, const Bytes& data) {
  switch (type) {
    case regtype::Sz:
      if (auto text = CanonicalText(data)) return AnsiToUtf8(*text);
      break;
    case regtype::ExpandSz:
      if (auto text = CanonicalText(data)) return Json{{"expandSz", AnsiToUtf8(*text)}};
      break;
    case regtype::Dword:
      if (data.size() == 4) return FromLittleEndian(data);
      break;
    case regtype::Qword:
      if (data.size() == 8) return Json{{"qword", FromLittleEndian(data)}};
      break;
    case regtype::MultiSz:
      if (auto texts = CanonicalMultiText(data)) {
        Json list = Json::array();
        for (const std::string& text : *texts) list.push_back(AnsiToUtf8(text));
        return list;
      }
      break;
    case regtype::Binary:
      return Json{{"hex", ToHex(data)}};
    default:
      break;
  }
  return Json{{"type", type}, {"hex", ToHex(data)}};
}

// Lists each key that holds values or is a leaf; the keys leading to it are implied. Depth first,
// with one path buffer and a stack of levels, so a deep tree costs neither stack nor copies of its path.
void WriteKeys(const RegNode& root, JsonMembers& out) {
  struct Level {
    const RegNode* node;
    std::size_t nextChild;
    std::size_t pathSize;
  };
  std::string path;
  std::vector<Level> levels;
  const RegNode* entered = &root;
  while (true) {
    if (entered) {
      if (!entered->values.empty() || (entered->subkeys.empty() && !path.empty())) {
        // A key's value names differ, and so do the paths.
        JsonMembers values;
        values.reserve(entered->values.size());
        for (const RegValue& value : entered->values) values.emplace_back(AnsiToUtf8(value.name), ValueJson(value.type, value.data));
        out.emplace_back(AnsiToUtf8(path), ObjectOf(std::move(values)));
      }
      levels.push_back({entered, 0, path.size()});
    }
    if (levels.empty()) break;
    Level& level = levels.back();
    if (level.nextChild == level.node->subkeys.size()) {
      levels.pop_back();
      entered = nullptr;
      continue;
    }
    const RegNode& child = *level.node->subkeys[level.nextChild++];
    path.resize(level.pathSize);
    if (!path.empty()) path += '\\';
    path += child.name;
    entered = &child;
  }
}

// A name as an error message shows it: long ones cut (at a character) to what a person can read.
std::string Shown(const std::string& utf8) {
  constexpr std::size_t kShown = 80;
  if (utf8.size() <= kShown) return utf8;
  std::size_t cut = kShown;
  while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) --cut;
  return utf8.substr(0, cut) + "...";
}

// The key's values in file order; a name the key has already (in any case) takes the new value.
void ReadValues(const Reader& reader, const Json& values, const std::string& where, RegNode& node) {
  // A key of many values gets an index of its names, so that it is read in one pass.
  constexpr std::size_t kIndexedFrom = 16;
  const bool indexed = node.values.size() + values.size() >= kIndexedFrom;
  std::unordered_map<std::string, std::size_t> held;
  if (indexed) {
    for (std::size_t i = 0; i < node.values.size(); ++i) held.emplace(UpperCase(node.values[i].name), i);
  }
  for (const auto& [valueName, valueJson] : values.items()) {
    const std::string what = where + " value \"" + Shown(valueName) + "\"";
    DWORD type = 0;
    Bytes data;
    reader.Value(valueJson, what, type, data);
    std::string name = reader.Ansi(valueName, what);
    if (name.size() > kMaxValueName) {
      reader.Fail(what + " has a name longer than " + std::to_string(kMaxValueName) + " characters");
    }
    if (!indexed) {
      node.SetValue(name, type, std::move(data));
      continue;
    }
    const auto [at, added] = held.emplace(UpperCase(name), node.values.size());
    if (added) {
      node.values.push_back({std::move(name), type, std::move(data)});
    } else {
      node.values[at->second].type = type;
      node.values[at->second].data = std::move(data);
    }
  }
}

}  // namespace

void ReadRegistryJson(const Json& registry, const std::string& label, RegistryTree& tree) {
  const Reader reader(label);
  if (!registry.is_object()) reader.Fail("\"registry\" must be an object");
  struct KeyEntry {
    RootKey root;
    std::vector<std::string> names;
    const Json* values;
    std::string where;
  };
  std::vector<KeyEntry> entries;
  for (const auto& [rootName, keys] : registry.items()) {
    const auto root = RootKeyFromName(rootName);
    if (!root) reader.Fail("\"registry\" has an unknown root key \"" + rootName + "\"");
    if (!keys.is_object()) reader.Fail("registry root " + rootName + " must be an object of key paths");
    for (const auto& [pathUtf8, values] : keys.items()) {
      std::string where = "registry key \"" + rootName + (pathUtf8.empty() ? "" : "\\" + Shown(pathUtf8)) + "\"";
      auto names = SplitKeyPath(reader.Ansi(pathUtf8, where));
      if (!names) reader.Fail(where + " is not a valid key path");
      if (HasLongKeyName(*names)) {
        reader.Fail(where + " has a key name longer than " + std::to_string(kMaxKeyName) + " characters");
      }
      if (names->size() > kMaxKeyDepth) {
        reader.Fail(where + " is more than " + std::to_string(kMaxKeyDepth) + " levels deep");
      }
      if (!values.is_object()) reader.Fail(where + " must be an object of values");
      entries.push_back({*root, std::move(*names), &values, std::move(where)});
    }
  }
  // Made in the order the tree keeps keys, every new key goes to the end of its parent's list: a
  // key of many subkeys is read in one pass, whatever the file's order.
  std::stable_sort(entries.begin(), entries.end(), [](const KeyEntry& a, const KeyEntry& b) {
    if (a.root != b.root) return a.root < b.root;
    return std::lexicographical_compare(a.names.begin(), a.names.end(), b.names.begin(), b.names.end(),
                                        [](const std::string& x, const std::string& y) { return CompareNoCase(x, y) < 0; });
  });
  std::lock_guard lock(tree.mutex());
  for (const KeyEntry& entry : entries) {
    std::shared_ptr<RegNode> node = tree.Root(entry.root);
    for (const std::string& name : entry.names) node = node->AddSubkey(name);
    ReadValues(reader, *entry.values, entry.where, *node);
  }
}

void ReadRegistryValueJson(const Json& value, const std::string& label, const std::string& what, DWORD& type,
                           Bytes& data) {
  Reader(label).Value(value, what, type, data);
}

Json RegistryValueJson(DWORD type, const Bytes& data) { return ValueJson(type, data); }

Json WriteRegistryJson(RegistryTree& tree) {
  std::lock_guard lock(tree.mutex());
  Json registry = Json::object();
  for (RootKey root : kRootKeys) {
    JsonMembers keys;
    WriteKeys(*tree.Root(root), keys);
    registry[RootKeyName(root)] = ObjectOf(std::move(keys));
  }
  return registry;
}

}  // namespace platform::sim

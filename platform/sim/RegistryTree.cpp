#include "platform/sim/RegistryTree.h"

#include <algorithm>

#include "platform/sim/Text.h"

namespace platform::sim {
namespace {

std::size_t RootIndex(RootKey root) {
  return static_cast<std::size_t>(std::find(kRootKeys.begin(), kRootKeys.end(), root) - kRootKeys.begin());
}

}  // namespace

bool IsTextType(DWORD type) { return type == regtype::Sz || type == regtype::ExpandSz || type == regtype::MultiSz; }

std::vector<std::uint8_t> TextBytesToUtf16(const std::vector<std::uint8_t>& ansi) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(ansi.size() * 2);
  for (const char16_t unit : AnsiToUtf16(std::string_view(reinterpret_cast<const char*>(ansi.data()), ansi.size()))) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return bytes;
}

std::optional<std::vector<std::uint8_t>> TextBytesFromUtf16(const std::vector<std::uint8_t>& utf16) {
  if (utf16.size() % 2 != 0) return std::nullopt;
  std::u16string units(utf16.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>(utf16[2 * i] | utf16[2 * i + 1] << 8);
  }
  const auto ansi = Utf16ToAnsi(units);
  if (!ansi) return std::nullopt;
  return std::vector<std::uint8_t>(ansi->begin(), ansi->end());
}

RegValue* RegNode::FindValue(std::string_view valueName) {
  for (RegValue& value : values) {
    if (EqualNoCase(value.name, valueName)) return &value;
  }
  return nullptr;
}

void RegNode::SetValue(std::string_view valueName, DWORD type, std::vector<std::uint8_t> data) {
  if (RegValue* existing = FindValue(valueName)) {
    existing->type = type;
    existing->data = std::move(data);
    return;
  }
  values.push_back({std::string(valueName), type, std::move(data)});
}

bool RegNode::DeleteValue(std::string_view valueName) {
  const auto it = std::find_if(values.begin(), values.end(),
                               [&](const RegValue& v) { return EqualNoCase(v.name, valueName); });
  if (it == values.end()) return false;
  values.erase(it);
  return true;
}

std::shared_ptr<RegNode> RegNode::FindSubkey(std::string_view keyName) const {
  const auto it = std::lower_bound(subkeys.begin(), subkeys.end(), keyName,
                                   [](const auto& node, std::string_view n) { return CompareNoCase(node->name, n) < 0; });
  if (it != subkeys.end() && EqualNoCase((*it)->name, keyName)) return *it;
  return nullptr;
}

std::shared_ptr<RegNode> RegNode::AddSubkey(std::string_view keyName) {
  const auto it = std::lower_bound(subkeys.begin(), subkeys.end(), keyName,
                                   [](const auto& node, std::string_view n) { return CompareNoCase(node->name, n) < 0; });
  if (it != subkeys.end() && EqualNoCase((*it)->name, keyName)) return *it;
  return *subkeys.insert(it, std::make_shared<RegNode>(std::string(keyName)));
}

void RegNode::RemoveSubkey(const RegNode& node) {
  std::erase_if(subkeys, [&](const auto& child) { return child.get() == &node; });
}

const char* RootKeyName(RootKey root) {
  switch (root) {
    case RootKey::ClassesRoot: return "HKEY_CLASSES_ROOT";
    case RootKey::CurrentUser: return "HKEY_CURRENT_USER";
    case RootKey::LocalMachine: return "HKEY_LOCAL_MACHINE";
    case RootKey::Users: return "HKEY_USERS";
  }
  return "?";
}

std::optional<RootKey> RootKeyFromName(std::string_view name) {
  for (RootKey root : kRootKeys) {
    if (EqualNoCase(RootKeyName(root), name)) return root;
  }
  return std::nullopt;
}

std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path) {
  std::vector<std::string> names;
  if (path.empty()) return names;
  if (path.front() == '\\') return std::nullopt;
  if (path.back() == '\\') path.remove_suffix(1);
  std::size_t start = 0;
  while (true) {
    const std::size_t end = path.find('\\', start);
    const std::string_view name = path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (name.empty()) return std::nullopt;
    names.emplace_back(name);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return names;
}

bool HasLongKeyName(const std::vector<std::string>& names) {
  return std::any_of(names.begin(), names.end(), [](const std::string& name) { return name.size() > kMaxKeyName; });
}

RegistryTree::RegistryTree() { Clear(); }

const std::shared_ptr<RegNode>& RegistryTree::Root(RootKey root) const { return roots_[RootIndex(root)]; }

std::shared_ptr<RegNode> RegistryTree::Key(RootKey root, std::string_view path, bool create) const {
  const auto names = SplitKeyPath(path);
  if (!names) return nullptr;
  std::shared_ptr<RegNode> node = Root(root);
  for (const std::string& name : *names) {
    std::shared_ptr<RegNode> next = node->FindSubkey(name);
    if (!next && create) next = node->AddSubkey(name);
    if (!next) return nullptr;
    node = std::move(next);
  }
  return node;
}

void RegistryTree::Clear() {
  for (RootKey root : kRootKeys) roots_[RootIndex(root)] = std::make_shared<RegNode>(RootKeyName(root));
}

}  // namespace platform::sim

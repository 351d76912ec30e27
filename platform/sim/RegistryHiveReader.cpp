// Reading goes through libhivex, a parser of its own that checks every cell against the file.
#include <hivex.h>

#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/Windows1252.h"
#include "platform/sim/RegistryHive.h"

namespace platform::sim {
namespace {

struct HiveCloser {
  void operator()(hive_h* h) const { hivex_close(h); }
};
struct Freer {
  void operator()(void* p) const { std::free(p); }
};
template <class T>
using Owned = std::unique_ptr<T, Freer>;

class KeyReader {
public:
  KeyReader(hive_h* hive, std::size_t maxDepth) : hive_(hive), maxDepth_(maxDepth) {}

  std::shared_ptr<RegNode> Key(hive_node_h node, std::size_t depth) {
    if (node == 0 || depth > maxDepth_ || !visited_.insert(node).second) return nullptr;
    const Owned<char> rawName(hivex_node_name(hive_, node));
    if (!rawName) return nullptr;
    auto key = std::make_shared<RegNode>(Utf8ToAnsiLossy(rawName.get()));
    if (depth > 0 && (key->name.empty() || key->name.size() > kMaxKeyName || key->name.find('\\') != std::string::npos)) {
      return nullptr;
    }

    const Owned<hive_value_h> values(hivex_node_values(hive_, node));
    if (!values) return nullptr;
    for (const hive_value_h* v = values.get(); *v != 0; ++v) {
      const Owned<char> rawKey(hivex_value_key(hive_, *v));
      // A file may hold any 32-bit type; read it as a number, never as the library's enum.
      std::underlying_type_t<hive_type> type = 0;
      std::size_t size = 0;
      const Owned<char> data(hivex_value_value(hive_, *v, reinterpret_cast<hive_type*>(&type), &size));
      if (!rawKey || (!data && size != 0)) return nullptr;
      std::string name = Utf8ToAnsiLossy(rawKey.get());
      if (name.size() > kMaxValueName || key->FindValue(name)) return nullptr;
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.get());
      std::vector<std::uint8_t> stored(bytes, bytes + size);
      const auto valueType = static_cast<DWORD>(type);
      if (IsTextType(valueType)) {
        const std::string text = Utf16ToAnsiLossy(std::string_view(data.get(), size & ~std::size_t{1}), false);
        stored.assign(text.begin(), text.end());
      }
      key->values.push_back({std::move(name), valueType, std::move(stored)});
    }

    const Owned<hive_node_h> children(hivex_node_children(hive_, node));
    if (!children) return nullptr;
    for (const hive_node_h* c = children.get(); *c != 0; ++c) {
      std::shared_ptr<RegNode> child = Key(*c, depth + 1);
      if (!child || key->FindSubkey(child->name)) return nullptr;
      const std::shared_ptr<RegNode> slot = key->AddSubkey(child->name);
      slot->values = std::move(child->values);
      slot->subkeys = std::move(child->subkeys);
    }
    return key;
  }

private:
  hive_h* hive_;
  std::size_t maxDepth_;
  std::set<hive_node_h> visited_;
};

}  // namespace

DWORD ReadHive(const std::filesystem::path& file, std::size_t maxDepth, std::shared_ptr<RegNode>& root) {
  root.reset();
  const std::unique_ptr<hive_h, HiveCloser> hive(hivex_open(file.c_str(), 0));
  if (!hive) return winerr::NotRegistryFile;
  KeyReader reader(hive.get(), maxDepth);
  root = reader.Key(hivex_root(hive.get()), 0);
  return root ? winerr::Success : winerr::BadDb;
}

}  // namespace platform::sim

#pragma once
// The simulated registry's data: four root keys, each a tree of named keys with typed values.
// Names keep their case and match without regard to it. Guarded by one mutex, held by callers.
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

namespace platform::sim {

struct RegValue {
  std::string name;
  DWORD type = regtype::None;
  std::vector<std::uint8_t> data;  // as the "A" functions see it: text types in Windows-1252
};

// A text value's bytes between that form and the "W" functions' UTF-16LE.
bool IsTextType(DWORD type);
std::vector<std::uint8_t> TextBytesToUtf16(const std::vector<std::uint8_t>& ansi);
// nullopt for an odd length or a unit Windows-1252 lacks: this machine cannot hold such text exactly.
std::optional<std::vector<std::uint8_t>> TextBytesFromUtf16(const std::vector<std::uint8_t>& utf16);

struct RegNode {
  explicit RegNode(std::string keyName) : name(std::move(keyName)) {}

  std::string name;
  std::vector<RegValue> values;                   // creation order, as Windows enumerates values
  std::vector<std::shared_ptr<RegNode>> subkeys;  // by upper-cased name, as Windows enumerates keys
  bool deleted = false;                           // open handles to a deleted key see it gone
  std::size_t openHandles = 0;                    // handles open on this key

  RegValue* FindValue(std::string_view valueName);
  void SetValue(std::string_view valueName, DWORD type, std::vector<std::uint8_t> data);
  bool DeleteValue(std::string_view valueName);
  std::shared_ptr<RegNode> FindSubkey(std::string_view keyName) const;
  // Returns the existing subkey of that name, or a new one.
  std::shared_ptr<RegNode> AddSubkey(std::string_view keyName);
  void RemoveSubkey(const RegNode& node);
};

constexpr std::array<RootKey, 4> kRootKeys = {RootKey::CurrentUser, RootKey::LocalMachine, RootKey::Users,
                                              RootKey::ClassesRoot};
const char* RootKeyName(RootKey root);
std::optional<RootKey> RootKeyFromName(std::string_view name);

// What Windows refuses: a key name (one level) longer than 255 characters, a key more than 512
// levels below its root key, a value name longer than 16383 characters.
inline constexpr std::size_t kMaxKeyName = 255;
inline constexpr std::size_t kMaxKeyDepth = 512;
inline constexpr std::size_t kMaxValueName = 16383;

// Splits "A\B\C" into its names; one trailing backslash is allowed, "" is no names.
// nullopt for a leading backslash or an empty name inside (names are not checked against kMaxKeyName).
std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path);
bool HasLongKeyName(const std::vector<std::string>& names);

class RegistryTree {
public:
  RegistryTree();
  RegistryTree(const RegistryTree&) = delete;
  RegistryTree& operator=(const RegistryTree&) = delete;

  std::mutex& mutex() { return mutex_; }
  const std::shared_ptr<RegNode>& Root(RootKey root) const;
  // The key at `path` below a root key, with every missing key on the way made when `create`; null
  // for a missing key or a malformed path (caller holds the mutex).
  std::shared_ptr<RegNode> Key(RootKey root, std::string_view path, bool create = false) const;
  // Replaces every root with an empty key (caller holds the mutex).
  void Clear();

private:
  std::mutex mutex_;
  std::array<std::shared_ptr<RegNode>, kRootKeys.size()> roots_;
};

}  // namespace platform::sim

#include "platform/sim/SimRegistry.h"

#include <optional>
#include <string>

#include "platform/sim/Text.h"

namespace platform::sim {
namespace {

using ServicesPtr = std::shared_ptr<const SimRegistry::Services>;

constexpr DWORD kGenericRights =
    access::GenericRead | access::GenericWrite | access::GenericExecute | access::GenericAll | access::MaximumAllowed;
// KEY_WOW64_64KEY and KEY_WOW64_32KEY choose a view, they are no rights.
constexpr DWORD kViewFlags = 0x100 | 0x200;
constexpr const char* kLocalMachine = "HKEY_LOCAL_MACHINE";

DWORD GrantedAccess(DWORD requested) {
  DWORD granted = requested;
  if (requested & (access::GenericRead | access::GenericExecute)) granted |= regaccess::Read;
  if (requested & access::GenericWrite) granted |= regaccess::Write;
  if (requested & (access::GenericAll | access::MaximumAllowed)) granted |= regaccess::AllAccess;
  return granted;
}

// Whether the user may only read the key at this path (a standard user, under HKEY_LOCAL_MACHINE).
bool ReadOnlyFor(const SimRegistry::Services& services, const std::string& path) {
  return !services.user.administrator && path.compare(0, std::char_traits<char>::length(kLocalMachine), kLocalMachine) == 0;
}

// What a standard user gets of a key that is read-only to that user, or nullopt when asking for more.
std::optional<DWORD> ReadOnlyGrant(DWORD requested) {
  const DWORD asked = GrantedAccess(requested & ~access::MaximumAllowed) & ~(kGenericRights | kViewFlags);
  if ((asked & ~regaccess::Read) != 0) return std::nullopt;
  return (requested & access::MaximumAllowed) ? regaccess::Read : GrantedAccess(requested);
}

// The names the "A" functions see: up to the first NUL.
std::optional<std::vector<std::string>> KeyNames(const std::string& subKey) { return SplitKeyPath(UpToNul(subKey)); }

class SimRegistryKey : public RegistryKey {
public:
  SimRegistryKey(ServicesPtr services, std::shared_ptr<RegNode> node, std::string path, std::size_t depth, DWORD access)
      : services_(std::move(services)), node_(std::move(node)), path_(std::move(path)), depth_(depth),
        access_(GrantedAccess(access)), handle_(services_->handles->Register("registry key", path_)) {}
  ~SimRegistryKey() override { services_->handles->Release(handle_); }

  LONG OpenSubKey(const std::string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) override;
  LONG CreateSubKey(const std::string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) override;
  LONG QueryValue(const std::string& name, DWORD& type, std::vector<std::uint8_t>& data) override;
  LONG SetValue(const std::string& name, DWORD type, const std::vector<std::uint8_t>& data) override;
  LONG DeleteValue(const std::string& name) override;
  LONG EnumKey(DWORD index, std::string& name) override;
  LONG EnumValue(DWORD index, std::string& name, DWORD& type, std::vector<std::uint8_t>& data) override;

private:
  // Common checks of value and enumeration calls, made under the tree's lock.
  LONG Usable(DWORD neededAccess) const {
    if (node_->deleted) return static_cast<LONG>(winerr::KeyDeleted);
    if ((access_ & neededAccess) != neededAccess) return static_cast<LONG>(winerr::AccessDenied);
    return 0;
  }

  ServicesPtr services_;
  std::shared_ptr<RegNode> node_;
  std::string path_;
  std::size_t depth_;  // levels below the root key
  DWORD access_;
  HandleTable::Id handle_;
};

// RegOpenKeyExA / RegCreateKeyExA relative to `base`, `baseDepth` levels below its root key.
// `baseAccess` is what the caller's handle grants (a root key grants everything); creating a direct
// subkey needs KEY_CREATE_SUB_KEY on it. A name longer than Windows allows, or a new key deeper than
// it allows, answers 87 as Windows does for a long name.
LONG OpenRelative(const ServicesPtr& services, const std::shared_ptr<RegNode>& base, const std::string& basePath,
                  std::size_t baseDepth, DWORD baseAccess, const std::string& subKey, DWORD access, bool create,
                  std::unique_ptr<RegistryKey>& out) {
  out.reset();
  if (const DWORD error = services->faults->Check(create ? "RegCreateKeyExA" : "RegOpenKeyExA")) {
    return static_cast<LONG>(error);
  }
  const auto names = KeyNames(subKey);
  if (!names) return static_cast<LONG>(winerr::BadPathname);
  if (HasLongKeyName(*names)) return static_cast<LONG>(winerr::InvalidParameter);
  const std::size_t depth = baseDepth + names->size();
  if (create && depth > kMaxKeyDepth) return static_cast<LONG>(winerr::InvalidParameter);

  const bool readOnly = ReadOnlyFor(*services, basePath);
  std::lock_guard lock(services->tree->mutex());
  if (base->deleted) return static_cast<LONG>(winerr::KeyDeleted);
  std::shared_ptr<RegNode> node = base;
  std::string path = basePath;
  for (const std::string& name : *names) {
    std::shared_ptr<RegNode> next = node->FindSubkey(name);
    if (!next) {
      if (!create) return static_cast<LONG>(winerr::FileNotFound);
      if (readOnly || (node == base && (GrantedAccess(baseAccess) & regaccess::CreateSubKey) == 0)) {
        return static_cast<LONG>(winerr::AccessDenied);
      }
      next = node->AddSubkey(name);
    }
    node = std::move(next);
    path += "\\" + node->name;
  }
  // The key's own security decides, so a missing key answers 2 before any refusal.
  const std::optional<DWORD> granted = readOnly ? ReadOnlyGrant(access) : GrantedAccess(access);
  if (!granted) return static_cast<LONG>(winerr::AccessDenied);
  out = std::make_unique<SimRegistryKey>(services, std::move(node), std::move(path), depth, *granted);
  return 0;
}

LONG SimRegistryKey::OpenSubKey(const std::string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) {
  return OpenRelative(services_, node_, path_, depth_, access_, subKey, access, false, out);
}

LONG SimRegistryKey::CreateSubKey(const std::string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) {
  return OpenRelative(services_, node_, path_, depth_, access_, subKey, access, true, out);
}

LONG SimRegistryKey::QueryValue(const std::string& name, DWORD& type, std::vector<std::uint8_t>& data) {
  if (const DWORD error = services_->faults->Check("RegQueryValueExA")) return static_cast<LONG>(error);
  std::lock_guard lock(services_->tree->mutex());
  if (const LONG error = Usable(regaccess::QueryValue)) return error;
  const RegValue* value = node_->FindValue(UpToNul(name));
  if (!value) return static_cast<LONG>(winerr::FileNotFound);
  type = value->type;
  data = value->data;
  return 0;
}

LONG SimRegistryKey::SetValue(const std::string& name, DWORD type, const std::vector<std::uint8_t>& data) {
  if (const DWORD error = services_->faults->Check("RegSetValueExA")) return static_cast<LONG>(error);
  std::lock_guard lock(services_->tree->mutex());
  if (const LONG error = Usable(regaccess::SetValue)) return error;
  const std::string_view valueName = UpToNul(name);
  if (valueName.size() > kMaxValueName) return static_cast<LONG>(winerr::InvalidParameter);
  node_->SetValue(valueName, type, data);
  return 0;
}

LONG SimRegistryKey::DeleteValue(const std::string& name) {
  if (const DWORD error = services_->faults->Check("RegDeleteValueA")) return static_cast<LONG>(error);
  std::lock_guard lock(services_->tree->mutex());
  if (const LONG error = Usable(regaccess::SetValue)) return error;
  return node_->DeleteValue(UpToNul(name)) ? 0 : static_cast<LONG>(winerr::FileNotFound);
}

LONG SimRegistryKey::EnumKey(DWORD index, std::string& name) {
  if (const DWORD error = services_->faults->Check("RegEnumKeyExA")) return static_cast<LONG>(error);
  std::lock_guard lock(services_->tree->mutex());
  if (const LONG error = Usable(regaccess::EnumerateSubKeys)) return error;
  if (index >= node_->subkeys.size()) return static_cast<LONG>(winerr::NoMoreItems);
  name = node_->subkeys[index]->name;
  return 0;
}

LONG SimRegistryKey::EnumValue(DWORD index, std::string& name, DWORD& type, std::vector<std::uint8_t>& data) {
  if (const DWORD error = services_->faults->Check("RegEnumValueA")) return static_cast<LONG>(error);
  std::lock_guard lock(services_->tree->mutex());
  if (const LONG error = Usable(regaccess::QueryValue)) return error;
  if (index >= node_->values.size()) return static_cast<LONG>(winerr::NoMoreItems);
  const RegValue& value = node_->values[index];
  name = value.name;
  type = value.type;
  data = value.data;
  return 0;
}

}  // namespace

SimRegistry::SimRegistry(std::shared_ptr<RegistryTree> tree, std::shared_ptr<FaultInjector> faults,
                         std::shared_ptr<HandleTable> handles, const MachineConfig& config)
    : services_(std::make_shared<const Services>(
          Services{std::move(tree), std::move(faults), std::move(handles), config.user})) {}

LONG SimRegistry::OpenKey(RootKey root, const std::string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) {
  return OpenRelative(services_, services_->tree->Root(root), RootKeyName(root), 0, regaccess::AllAccess, subKey,
                      access, false, out);
}

LONG SimRegistry::CreateKey(RootKey root, const std::string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) {
  return OpenRelative(services_, services_->tree->Root(root), RootKeyName(root), 0, regaccess::AllAccess, subKey,
                      access, true, out);
}

LONG SimRegistry::DeleteKey(RootKey root, const std::string& subKey) {
  if (const DWORD error = services_->faults->Check("RegDeleteKeyA")) return static_cast<LONG>(error);
  const auto names = KeyNames(subKey);
  if (!names) return static_cast<LONG>(winerr::BadPathname);
  if (HasLongKeyName(*names)) return static_cast<LONG>(winerr::InvalidParameter);
  // A root key cannot be deleted.
  if (names->empty()) return static_cast<LONG>(winerr::AccessDenied);
  if (ReadOnlyFor(*services_, RootKeyName(root))) return static_cast<LONG>(winerr::AccessDenied);

  std::lock_guard lock(services_->tree->mutex());
  std::shared_ptr<RegNode> parent;
  std::shared_ptr<RegNode> node = services_->tree->Root(root);
  for (const std::string& name : *names) {
    parent = node;
    node = node->FindSubkey(name);
    if (!node) return static_cast<LONG>(winerr::FileNotFound);
  }
  if (!node->subkeys.empty()) return static_cast<LONG>(winerr::AccessDenied);
  parent->RemoveSubkey(*node);
  node->deleted = true;
  return 0;
}

}  // namespace platform::sim

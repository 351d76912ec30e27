#include "platform/sim/SimRegistry.h"

#include <chrono>
#include <fstream>
#include <optional>
#include <string>
#include <system_error>

#include "platform/sim/HostPath.h"
#include "platform/sim/RegistryHive.h"
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

// The machine's 8-bit form of a "W" name, or nullopt when Windows-1252 lacks one of its characters.
std::optional<std::string> NarrowName(const std::u16string& wide) {
  std::string bytes;
  for (const char16_t unit : wide) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  std::string narrow = Utf16ToAnsiLossy(bytes, false);
  if (AnsiToUtf16(narrow) != wide) return std::nullopt;
  return narrow;
}

std::uint64_t FileTimeNow() {
  constexpr std::uint64_t kEpochDifference = 11644473600ULL;  // 1601 to 1970, in seconds
  const auto since1970 = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  return (kEpochDifference * 1000000 + static_cast<std::uint64_t>(since1970.count())) * 10;
}

bool PrivilegeEnabled(const SimRegistry::Services& services, DWORD privilege) {
  return services.privileges && services.privileges->Enabled(Luid{privilege, 0});
}

// Whether a handle is open on a key beneath `node`.
bool SubkeyOpen(const RegNode& node) {
  for (const auto& child : node.subkeys) {
    if (child->openHandles > 0 || SubkeyOpen(*child)) return true;
  }
  return false;
}

void MarkDeleted(RegNode& node) {
  node.deleted = true;
  for (const auto& child : node.subkeys) MarkDeleted(*child);
}

class SimRegistryKey : public RegistryKey {
public:
  SimRegistryKey(ServicesPtr services, std::shared_ptr<RegNode> node, std::string path, std::size_t depth, DWORD access)
      : services_(std::move(services)), node_(std::move(node)), path_(std::move(path)), depth_(depth),
        access_(GrantedAccess(access)), handle_(services_->handles->Register("registry key", path_)) {
    ++node_->openHandles;  // made under the tree's lock
  }
  ~SimRegistryKey() override {
    const auto held = services_->lock.Hold();
    {
      std::lock_guard lock(services_->tree->mutex());
      --node_->openHandles;
    }
    services_->handles->Release(handle_);
  }

  LONG QueryValue(const std::string& name, DWORD& type, std::vector<std::uint8_t>& data) override;
  LONG SetValue(const std::string& name, DWORD type, const std::vector<std::uint8_t>& data) override;
  LONG DeleteValue(const std::string& name) override;
  LONG QueryInfoKey(DWORD& subKeys, DWORD& values) override;
  LONG EnumValueW(DWORD index, std::u16string& name, DWORD& type, std::vector<std::uint8_t>& data) override;
  LONG OpenSubKeyW(const std::u16string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) override;
  LONG SaveKeyExW(const std::u16string& file, DWORD flags) override;
  LONG RestoreKeyW(const std::u16string& file, DWORD flags) override;

private:
  // Where a "W" file name lives on the host: 0, 3 for a place the machine lacks, or `unnamed` for a
  // name its 8-bit file names cannot hold.
  LONG HostFile(const std::u16string& file, DWORD unnamed, std::filesystem::path& host) const {
    const std::optional<std::string> name = NarrowName(file);
    if (!name) return static_cast<LONG>(unnamed);
    const std::optional<std::filesystem::path> path = HostPath(UpToNul(*name), services_->driveC);
    if (!path) return static_cast<LONG>(winerr::PathNotFound);
    host = *path;
    return 0;
  }

  // Common checks of every call on the key, made under the tree's lock.
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

// RegOpenKeyExA / RegCreateKeyExA below a root key. A name longer than Windows allows, or a new key
// deeper than it allows, answers 87 as Windows does for a long name.
LONG OpenBelowRoot(const ServicesPtr& services, RootKey root, const std::string& subKey, DWORD access, bool create,
                   std::unique_ptr<RegistryKey>& out, const char* op = nullptr) {
  const auto held = services->lock.Hold();
  out.reset();
  if (const DWORD error = services->faults->Check(op ? op : create ? "RegCreateKeyExA" : "RegOpenKeyExA")) {
    return static_cast<LONG>(error);
  }
  const auto names = KeyNames(subKey);
  if (!names) return static_cast<LONG>(winerr::BadPathname);
  if (HasLongKeyName(*names)) return static_cast<LONG>(winerr::InvalidParameter);
  const std::size_t depth = names->size();
  if (create && depth > kMaxKeyDepth) return static_cast<LONG>(winerr::InvalidParameter);

  std::string path = RootKeyName(root);
  const bool readOnly = ReadOnlyFor(*services, path);
  std::lock_guard lock(services->tree->mutex());
  std::shared_ptr<RegNode> node = services->tree->Root(root);
  for (const std::string& name : *names) {
    std::shared_ptr<RegNode> next = node->FindSubkey(name);
    if (!next) {
      if (!create) return static_cast<LONG>(winerr::FileNotFound);
      if (readOnly) return static_cast<LONG>(winerr::AccessDenied);
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

LONG SimRegistryKey::QueryValue(const std::string& name, DWORD& type, std::vector<std::uint8_t>& data) {
  const auto held = services_->lock.Hold();
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
  const auto held = services_->lock.Hold();
  if (const DWORD error = services_->faults->Check("RegSetValueExA")) return static_cast<LONG>(error);
  std::lock_guard lock(services_->tree->mutex());
  if (const LONG error = Usable(regaccess::SetValue)) return error;
  const std::string_view valueName = UpToNul(name);
  if (valueName.size() > kMaxValueName) return static_cast<LONG>(winerr::InvalidParameter);
  node_->SetValue(valueName, type, data);
  return 0;
}

LONG SimRegistryKey::DeleteValue(const std::string& name) {
  const auto held = services_->lock.Hold();
  if (const DWORD error = services_->faults->Check("RegDeleteValueA")) return static_cast<LONG>(error);
  std::lock_guard lock(services_->tree->mutex());
  if (const LONG error = Usable(regaccess::SetValue)) return error;
  return node_->DeleteValue(UpToNul(name)) ? 0 : static_cast<LONG>(winerr::FileNotFound);
}

LONG SimRegistryKey::QueryInfoKey(DWORD& subKeys, DWORD& values) {
  const auto held = services_->lock.Hold();
  if (const DWORD error = services_->faults->Check("RegQueryInfoKeyA")) return static_cast<LONG>(error);
  std::lock_guard lock(services_->tree->mutex());
  if (const LONG error = Usable(regaccess::QueryValue)) return error;
  subKeys = static_cast<DWORD>(node_->subkeys.size());
  values = static_cast<DWORD>(node_->values.size());
  return 0;
}

LONG SimRegistryKey::EnumValueW(DWORD index, std::u16string& name, DWORD& type, std::vector<std::uint8_t>& data) {
  const auto held = services_->lock.Hold();
  if (const DWORD error = services_->faults->Check("RegEnumValueW")) return static_cast<LONG>(error);
  std::lock_guard lock(services_->tree->mutex());
  if (const LONG error = Usable(regaccess::QueryValue)) return error;
  if (index >= node_->values.size()) return static_cast<LONG>(winerr::NoMoreItems);
  const RegValue& value = node_->values[index];
  name = AnsiToUtf16(value.name);
  type = value.type;
  data = IsTextType(value.type) ? TextBytesToUtf16(value.data) : value.data;
  return 0;
}

LONG SimRegistryKey::OpenSubKeyW(const std::u16string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) {
  const auto held = services_->lock.Hold();
  out.reset();
  if (const DWORD error = services_->faults->Check("RegOpenKeyExW")) return static_cast<LONG>(error);
  const std::optional<std::string> narrow = NarrowName(subKey);
  const auto names = narrow ? KeyNames(*narrow) : std::nullopt;
  if (!names) return static_cast<LONG>(narrow ? winerr::BadPathname : winerr::FileNotFound);
  std::lock_guard lock(services_->tree->mutex());
  if (const LONG error = Usable(0)) return error;
  std::shared_ptr<RegNode> node = node_;
  std::string path = path_;
  for (const std::string& name : *names) {
    node = node->FindSubkey(name);
    if (!node) return static_cast<LONG>(winerr::FileNotFound);
    path += "\\" + node->name;
  }
  // A key opened from another is as writable to the user as the one it was opened from.
  const DWORD granted = GrantedAccess(access);
  if ((granted & ~access_ & ~(kGenericRights | kViewFlags)) != 0 && ReadOnlyFor(*services_, path)) {
    return static_cast<LONG>(winerr::AccessDenied);
  }
  out = std::make_unique<SimRegistryKey>(services_, std::move(node), std::move(path), depth_ + names->size(), access);
  return 0;
}

// RegSaveKeyExW creates the file before the key is saved, so an existing file answers first.
LONG SimRegistryKey::SaveKeyExW(const std::u16string& file, DWORD flags) {
  const auto held = services_->lock.Hold();
  if (const DWORD error = services_->faults->Check("RegSaveKeyExW")) return static_cast<LONG>(error);
  // Exactly one format: REG_STANDARD_FORMAT, REG_LATEST_FORMAT or REG_NO_COMPRESSION.
  if (flags != 1 && flags != regsave::LatestFormat && flags != 4) return static_cast<LONG>(winerr::InvalidParameter);
  std::filesystem::path host;
  if (const LONG error = HostFile(file, winerr::InvalidName, host)) return error;
  std::error_code ec;
  if (std::filesystem::exists(host, ec)) return static_cast<LONG>(winerr::AlreadyExists);
  if (!std::filesystem::is_directory(host.parent_path(), ec)) return static_cast<LONG>(winerr::PathNotFound);
  if (!PrivilegeEnabled(*services_, privilege::Backup)) return static_cast<LONG>(winerr::PrivilegeNotHeld);

  std::vector<std::uint8_t> bytes;
  {
    std::lock_guard lock(services_->tree->mutex());
    if (const LONG error = Usable(regaccess::QueryValue | regaccess::EnumerateSubKeys)) return error;
    bytes = WriteHive(*node_, FileTimeNow());
  }
  std::ofstream out(host, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) {
    std::filesystem::remove(host, ec);
    return static_cast<LONG>(winerr::AccessDenied);
  }
  return 0;
}

LONG SimRegistryKey::RestoreKeyW(const std::u16string& file, DWORD flags) {
  const auto held = services_->lock.Hold();
  if (const DWORD error = services_->faults->Check("RegRestoreKeyW")) return static_cast<LONG>(error);
  std::filesystem::path host;
  if (const LONG error = HostFile(file, winerr::FileNotFound, host)) return error;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(host, ec)) return static_cast<LONG>(winerr::FileNotFound);
  // The documentation asks for both privileges.
  if (!PrivilegeEnabled(*services_, privilege::Restore) || !PrivilegeEnabled(*services_, privilege::Backup)) {
    return static_cast<LONG>(winerr::PrivilegeNotHeld);
  }
  {
    std::lock_guard lock(services_->tree->mutex());
    if (const LONG error = Usable(regaccess::SetValue | regaccess::CreateSubKey)) return error;
    if ((flags & regrestore::ForceRestore) == 0 && SubkeyOpen(*node_)) return static_cast<LONG>(winerr::AccessDenied);
  }
  std::shared_ptr<RegNode> restored;
  if (const DWORD error = ReadHive(host, kMaxKeyDepth - depth_, restored)) return static_cast<LONG>(error);

  std::lock_guard lock(services_->tree->mutex());
  if (const LONG error = Usable(regaccess::SetValue | regaccess::CreateSubKey)) return error;
  // Handles open beneath the key now name keys that are gone.
  for (const auto& child : node_->subkeys) MarkDeleted(*child);
  node_->values = std::move(restored->values);
  node_->subkeys = std::move(restored->subkeys);
  return 0;
}

}  // namespace

SimRegistry::SimRegistry(MachineLock lock, std::shared_ptr<RegistryTree> tree, std::shared_ptr<FaultInjector> faults,
                         std::shared_ptr<HandleTable> handles, const MachineConfig& config, std::filesystem::path driveC,
                         std::shared_ptr<TokenPrivileges> privileges)
    : services_(std::make_shared<const Services>(Services{std::move(lock), std::move(tree), std::move(faults),
                                                          std::move(handles), config.user, std::move(driveC),
                                                          std::move(privileges)})) {}

LONG SimRegistry::OpenKey(RootKey root, const std::string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) {
  return OpenBelowRoot(services_, root, subKey, access, false, out);
}

LONG SimRegistry::OpenKeyW(RootKey root, const std::u16string& subKey, DWORD access,
                           std::unique_ptr<RegistryKey>& out) {
  const std::optional<std::string> name = NarrowName(subKey);
  if (!name) {
    const auto held = services_->lock.Hold();
    out.reset();
    if (const DWORD error = services_->faults->Check("RegOpenKeyExW")) return static_cast<LONG>(error);
    return static_cast<LONG>(winerr::FileNotFound);
  }
  return OpenBelowRoot(services_, root, *name, access, false, out, "RegOpenKeyExW");
}

LONG SimRegistry::CreateKey(RootKey root, const std::string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) {
  return OpenBelowRoot(services_, root, subKey, access, true, out);
}

// A key with subkeys is refused as Windows refuses it; open handles to the deleted key see it gone.
LONG SimRegistry::DeleteKey(RootKey root, const std::string& subKey) {
  const auto held = services_->lock.Hold();
  if (const DWORD error = services_->faults->Check("RegDeleteKeyA")) return static_cast<LONG>(error);
  const auto names = KeyNames(subKey);
  if (!names || names->empty()) return static_cast<LONG>(winerr::BadPathname);
  std::lock_guard lock(services_->tree->mutex());
  std::shared_ptr<RegNode> parent = services_->tree->Root(root);
  for (std::size_t i = 0; parent && i + 1 < names->size(); ++i) parent = parent->FindSubkey((*names)[i]);
  const std::shared_ptr<RegNode> node = parent ? parent->FindSubkey(names->back()) : nullptr;
  if (!node) return static_cast<LONG>(winerr::FileNotFound);
  if (ReadOnlyFor(*services_, RootKeyName(root)) || !node->subkeys.empty()) {
    return static_cast<LONG>(winerr::AccessDenied);
  }
  MarkDeleted(*node);
  parent->RemoveSubkey(*node);
  return 0;
}

LONG SimRegistry::LoadAppKeyW(const std::u16string& file, DWORD access, std::unique_ptr<RegistryKey>& out) {
  const auto held = services_->lock.Hold();
  out.reset();
  if (const DWORD error = services_->faults->Check("RegLoadAppKeyW")) return static_cast<LONG>(error);
  const std::optional<std::string> name = NarrowName(file);
  if (!name) return static_cast<LONG>(winerr::FileNotFound);
  std::filesystem::path host;
  if (const DWORD error = ResolveHostPath(*name, services_->driveC, host)) return static_cast<LONG>(error);
  std::error_code ec;
  if (!std::filesystem::exists(host, ec)) return static_cast<LONG>(winerr::FileNotFound);
  if (!std::filesystem::is_regular_file(host, ec)) return static_cast<LONG>(winerr::AccessDenied);
  std::shared_ptr<RegNode> root;
  if (const DWORD error = ReadHive(host, kMaxKeyDepth, root)) return static_cast<LONG>(error);
  std::lock_guard lock(services_->tree->mutex());
  out = std::make_unique<SimRegistryKey>(services_, std::move(root), "application hive " + *name, 0,
                                         GrantedAccess(access));
  return 0;
}

}  // namespace platform::sim

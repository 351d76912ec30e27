#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Win32Types.h"

namespace platform {

enum class RootKey { ClassesRoot, CurrentUser, LocalMachine, Users };

namespace regtype {
constexpr DWORD None = 0;
constexpr DWORD Sz = 1;
constexpr DWORD ExpandSz = 2;
constexpr DWORD Binary = 3;
constexpr DWORD Dword = 4;
constexpr DWORD MultiSz = 7;
constexpr DWORD Qword = 11;
}  // namespace regtype

namespace regaccess {
constexpr DWORD QueryValue = 0x0001;
constexpr DWORD SetValue = 0x0002;
constexpr DWORD CreateSubKey = 0x0004;
constexpr DWORD EnumerateSubKeys = 0x0008;
constexpr DWORD Read = 0x20019;
constexpr DWORD Write = 0x20006;
constexpr DWORD AllAccess = 0xF003F;
constexpr DWORD Wow64_64Key = 0x0100;  // a view, not a right
}  // namespace regaccess

namespace winerr {
constexpr DWORD BadDb = 1009;            // ERROR_BADDB: a hive file whose content is broken
constexpr DWORD NotRegistryFile = 1017;  // ERROR_NOT_REGISTRY_FILE
}  // namespace winerr

namespace regsave {
constexpr DWORD LatestFormat = 2;  // REG_LATEST_FORMAT
}  // namespace regsave

namespace regrestore {
constexpr DWORD ForceRestore = 8;  // REG_FORCE_RESTORE
}  // namespace regrestore

// An open registry key (HKEY). Destruction closes it.
class RegistryKey {
public:
  virtual ~RegistryKey() = default;
  // RegQueryValueExA: data receives the whole stored value (for text, with its terminating NUL as stored).
  [[nodiscard]] virtual LONG QueryValue(const std::string& name, DWORD& type, std::vector<std::uint8_t>& data) = 0;
  [[nodiscard]] virtual LONG SetValue(const std::string& name, DWORD type, const std::vector<std::uint8_t>& data) = 0;
  // RegDeleteValueA.
  [[nodiscard]] virtual LONG DeleteValue(const std::string& name) = 0;
  // RegQueryInfoKeyA: how many subkeys and values the key has.
  [[nodiscard]] virtual LONG QueryInfoKey(DWORD& subKeys, DWORD& values) = 0;
  // RegEnumValueW: the value at `index` in the key's order, with text data as UTF-16LE as the "W"
  // functions give it; winerr::NoMoreItems past the last.
  [[nodiscard]] virtual LONG EnumValueW(DWORD index, std::u16string& name, DWORD& type,
                                        std::vector<std::uint8_t>& data) = 0;
  // RegOpenKeyExW below this key.
  [[nodiscard]] virtual LONG OpenSubKeyW(const std::u16string& subKey, DWORD access,
                                         std::unique_ptr<RegistryKey>& out) = 0;
  // RegSaveKeyExW, no security attributes: the key with its values and subkeys as a binary hive file.
  // The file must not exist (183). Needs SeBackupPrivilege enabled in the process token (1314).
  [[nodiscard]] virtual LONG SaveKeyExW(const std::u16string& file, DWORD flags) = 0;
  // RegRestoreKeyW: this key's values and subkeys become exactly the file's. Needs SeRestorePrivilege
  // and SeBackupPrivilege enabled (1314); without ForceRestore, refused (5) while another handle is
  // open at or beneath the key.
  [[nodiscard]] virtual LONG RestoreKeyW(const std::u16string& file, DWORD flags) = 0;
};

class Registry {
public:
  virtual ~Registry() = default;
  [[nodiscard]] virtual LONG OpenKey(RootKey root, const std::string& subKey, DWORD access,
                                     std::unique_ptr<RegistryKey>& out) = 0;
  // RegOpenKeyExW.
  [[nodiscard]] virtual LONG OpenKeyW(RootKey root, const std::u16string& subKey, DWORD access,
                                      std::unique_ptr<RegistryKey>& out) = 0;
  [[nodiscard]] virtual LONG CreateKey(RootKey root, const std::string& subKey, DWORD access,
                                       std::unique_ptr<RegistryKey>& out) = 0;
  // RegDeleteKeyA: a key without subkeys, with its values (5 while it has subkeys).
  [[nodiscard]] virtual LONG DeleteKey(RootKey root, const std::string& subKey) = 0;
  // RegLoadAppKeyW: a hive file loaded for this process alone, without privileges; the key is the
  // file's root key and the hive goes when its last handle closes. 2 for a missing file,
  // winerr::NotRegistryFile or winerr::BadDb for one that is no hive or a broken one.
  [[nodiscard]] virtual LONG LoadAppKeyW(const std::u16string& file, DWORD access,
                                         std::unique_ptr<RegistryKey>& out) = 0;
};

// Text values as the "A" functions store them: the bytes plus one NUL.
std::vector<std::uint8_t> RegSzBytes(const std::string& text);
// Reads REG_SZ data back, stopping at the first NUL.
std::string RegSzText(const std::vector<std::uint8_t>& data);
std::vector<std::uint8_t> RegDwordBytes(DWORD value);

}  // namespace platform

#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include <algorithm>

namespace platform::win32 {

// The seam passes these values straight through to the registry functions.
static_assert(regtype::Sz == REG_SZ && regtype::ExpandSz == REG_EXPAND_SZ && regtype::Binary == REG_BINARY &&
              regtype::Dword == REG_DWORD && regtype::MultiSz == REG_MULTI_SZ && regtype::Qword == REG_QWORD);
static_assert(regaccess::QueryValue == KEY_QUERY_VALUE && regaccess::SetValue == KEY_SET_VALUE &&
              regaccess::CreateSubKey == KEY_CREATE_SUB_KEY && regaccess::EnumerateSubKeys == KEY_ENUMERATE_SUB_KEYS &&
              regaccess::Read == KEY_READ && regaccess::Write == KEY_WRITE && regaccess::AllAccess == KEY_ALL_ACCESS);
static_assert(winerr::NoMoreItems == ERROR_NO_MORE_ITEMS && winerr::MoreData == ERROR_MORE_DATA);
static_assert(regaccess::Wow64_64Key == KEY_WOW64_64KEY && regsave::LatestFormat == REG_LATEST_FORMAT &&
              regrestore::ForceRestore == REG_FORCE_RESTORE);
static_assert(winerr::BadDb == ERROR_BADDB && winerr::NotRegistryFile == ERROR_NOT_REGISTRY_FILE);

namespace {

HKEY RootHandle(RootKey root) {
  switch (root) {
    case RootKey::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RootKey::CurrentUser: return HKEY_CURRENT_USER;
    case RootKey::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RootKey::Users: return HKEY_USERS;
  }
  return HKEY_CURRENT_USER;
}

LONG Open(HKEY parent, const std::string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) {
  HKEY key = nullptr;
  LONG rc = ::RegOpenKeyExA(parent, subKey.c_str(), 0, access, &key);
  if (rc == ERROR_SUCCESS) out = std::make_unique<Win32RegistryKey>(key);
  return rc;
}

LONG Create(HKEY parent, const std::string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) {
  HKEY key = nullptr;
  LONG rc = ::RegCreateKeyExA(parent, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                              nullptr);
  if (rc == ERROR_SUCCESS) out = std::make_unique<Win32RegistryKey>(key);
  return rc;
}

}  // namespace

Win32RegistryKey::~Win32RegistryKey() { ::RegCloseKey(key_); }

LONG Win32RegistryKey::QueryValue(const std::string& name, DWORD& type, std::vector<std::uint8_t>& data) {
  ::DWORD valueType = 0;
  ::DWORD size = 0;
  LONG rc = ::RegQueryValueExA(key_, name.c_str(), nullptr, &valueType, nullptr, &size);
  // The value may grow between the two calls; the size asked for A text can also be an estimate.
  while (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
    data.assign(std::max<::DWORD>(size, 1), 0);
    ::DWORD got = static_cast<::DWORD>(data.size());
    rc = ::RegQueryValueExA(key_, name.c_str(), nullptr, &valueType, data.data(), &got);
    if (rc == ERROR_SUCCESS) {
      data.resize(got);
      type = valueType;
      return rc;
    }
    size = std::max<::DWORD>(got, static_cast<::DWORD>(data.size()) * 2);
  }
  return rc;
}

LONG Win32RegistryKey::SetValue(const std::string& name, DWORD type, const std::vector<std::uint8_t>& data) {
  static const BYTE none = 0;
  return ::RegSetValueExA(key_, name.c_str(), 0, type, data.empty() ? &none : data.data(),
                          static_cast<DWORD>(data.size()));
}

LONG Win32RegistryKey::SaveKeyExW(const std::u16string& file, DWORD flags) {
  return ::RegSaveKeyExW(key_, reinterpret_cast<LPCWSTR>(file.c_str()), nullptr, flags);
}

LONG Win32RegistryKey::RestoreKeyW(const std::u16string& file, DWORD flags) {
  return ::RegRestoreKeyW(key_, reinterpret_cast<LPCWSTR>(file.c_str()), flags);
}

LONG Win32Registry::OpenKeyW(RootKey root, const std::u16string& subKey, DWORD access,
                             std::unique_ptr<RegistryKey>& out) {
  HKEY key = nullptr;
  const LONG rc = ::RegOpenKeyExW(RootHandle(root), reinterpret_cast<LPCWSTR>(subKey.c_str()), 0, access, &key);
  if (rc == ERROR_SUCCESS) out = std::make_unique<Win32RegistryKey>(key);
  return rc;
}

LONG Win32Registry::OpenKey(RootKey root, const std::string& subKey, DWORD access,
                            std::unique_ptr<RegistryKey>& out) {
  return Open(RootHandle(root), subKey, access, out);
}

LONG Win32RegistryKey::DeleteValue(const std::string& name) { return ::RegDeleteValueA(key_, name.c_str()); }

LONG Win32RegistryKey::QueryInfoKey(DWORD& subKeys, DWORD& values) {
  ::DWORD keys = 0, count = 0;
  const LONG rc = ::RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &count, nullptr, nullptr,
                                     nullptr, nullptr);
  subKeys = keys;
  values = count;
  return rc;
}

LONG Win32RegistryKey::EnumValueW(DWORD index, std::u16string& name, DWORD& type, std::vector<std::uint8_t>& data) {
  ::DWORD nameUnits = 0, size = 0;
  LONG rc = ::RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &nameUnits, &size,
                               nullptr, nullptr);
  // A value may grow between the calls: ask again with more room.
  while (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
    std::vector<wchar_t> buffer(nameUnits + 1);
    data.assign(std::max<::DWORD>(size, 1), 0);
    ::DWORD units = static_cast<::DWORD>(buffer.size()), got = static_cast<::DWORD>(data.size()), valueType = 0;
    rc = ::RegEnumValueW(key_, index, buffer.data(), &units, nullptr, &valueType, data.data(), &got);
    if (rc == ERROR_SUCCESS) {
      name.assign(reinterpret_cast<const char16_t*>(buffer.data()), units);
      data.resize(got);
      type = valueType;
      return rc;
    }
    nameUnits = std::max<::DWORD>(nameUnits * 2, 256);
    size = std::max<::DWORD>(got, static_cast<::DWORD>(data.size()) * 2);
  }
  return rc;
}

LONG Win32RegistryKey::OpenSubKeyW(const std::u16string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) {
  HKEY key = nullptr;
  const LONG rc = ::RegOpenKeyExW(key_, reinterpret_cast<LPCWSTR>(subKey.c_str()), 0, access, &key);
  if (rc == ERROR_SUCCESS) out = std::make_unique<Win32RegistryKey>(key);
  return rc;
}

LONG Win32Registry::LoadAppKeyW(const std::u16string& file, DWORD access, std::unique_ptr<RegistryKey>& out) {
  HKEY key = nullptr;
  const LONG rc = ::RegLoadAppKeyW(reinterpret_cast<LPCWSTR>(file.c_str()), &key, access, 0, 0);
  if (rc == ERROR_SUCCESS) out = std::make_unique<Win32RegistryKey>(key);
  return rc;
}

LONG Win32Registry::DeleteKey(RootKey root, const std::string& subKey) {
  return ::RegDeleteKeyA(RootHandle(root), subKey.c_str());
}

LONG Win32Registry::CreateKey(RootKey root, const std::string& subKey, DWORD access,
                              std::unique_ptr<RegistryKey>& out) {
  return Create(RootHandle(root), subKey, access, out);
}

}  // namespace platform::win32

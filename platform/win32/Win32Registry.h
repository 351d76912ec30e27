#pragma once
#include "platform/Registry.h"

// The Windows headers declare HKEY as a pointer to this tag (STRICT handles).
struct HKEY__;

namespace platform::win32 {

// Owns one open HKEY and closes it when destroyed.
class Win32RegistryKey final : public RegistryKey {
public:
  explicit Win32RegistryKey(HKEY__* key) : key_(key) {}
  ~Win32RegistryKey() override;
  Win32RegistryKey(const Win32RegistryKey&) = delete;
  Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

  LONG QueryValue(const std::string& name, DWORD& type, std::vector<std::uint8_t>& data) override;
  LONG SetValue(const std::string& name, DWORD type, const std::vector<std::uint8_t>& data) override;
  LONG DeleteValue(const std::string& name) override;
  LONG QueryInfoKey(DWORD& subKeys, DWORD& values) override;
  LONG EnumValueW(DWORD index, std::u16string& name, DWORD& type, std::vector<std::uint8_t>& data) override;
  LONG OpenSubKeyW(const std::u16string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) override;
  LONG SaveKeyExW(const std::u16string& file, DWORD flags) override;
  LONG RestoreKeyW(const std::u16string& file, DWORD flags) override;

private:
  HKEY__* key_;
};

class Win32Registry final : public Registry {
public:
  LONG OpenKey(RootKey root, const std::string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) override;
  LONG OpenKeyW(RootKey root, const std::u16string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) override;
  LONG CreateKey(RootKey root, const std::string& subKey, DWORD access, std::unique_ptr<RegistryKey>& out) override;
  LONG DeleteKey(RootKey root, const std::string& subKey) override;
  LONG LoadAppKeyW(const std::u16string& file, DWORD access, std::unique_ptr<RegistryKey>& out) override;
};

}  // namespace platform::win32

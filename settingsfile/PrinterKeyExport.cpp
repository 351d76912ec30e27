#include "settingsfile/PrinterKeyExport.h"

#include <memory>

#include "platform/AccessToken.h"

namespace settingsfile {

namespace {

using platform::DWORD;
using platform::winerr::Success;

constexpr std::u16string_view kPrintersKey = u"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers";
constexpr std::size_t kKeyPathUnits = 700;
// Fresh names tried for the file being written: the save refuses a name that exists, so one left
// by an earlier run, or a file of the user's, is passed over and never touched.
constexpr char16_t kTemporaryMarks = 10;
// Registry calls answer a LONG.
constexpr platform::LONG kFileExists = static_cast<platform::LONG>(platform::winerr::AlreadyExists);

DWORD EnablePrivilege(platform::ProcessInfo& process, platform::AccessToken& token, std::u16string_view name) {
  platform::Luid luid;
  if (const DWORD error = process.LookupPrivilegeValueW(std::u16string(name), luid)) return error;
  bool allAssigned = false;
  return token.AdjustPrivilege(luid, platform::seprivilege::Enabled, allAssigned);
}

}  // namespace

std::optional<std::u16string> PrinterKeyPath(const std::u16string& printerName) {
  std::u16string path(kPrintersKey);
  path += u'\\';
  path += printerName;
  if (path.size() + 1 > kKeyPathUnits) return std::nullopt;
  return path;
}

DWORD EnablePrivileges(platform::ProcessInfo& process, std::initializer_list<std::u16string_view> names) {
  std::unique_ptr<platform::AccessToken> token;
  if (const DWORD error =
          process.OpenProcessToken(platform::tokenaccess::AdjustPrivileges | platform::tokenaccess::Query, token))
    return error;
  if (!token) return platform::winerr::InvalidHandle;
  for (const std::u16string_view name : names)
    if (const DWORD error = EnablePrivilege(process, *token, name)) return error;
  return Success;
}

DWORD ExportPrinterKey(platform::Platform& platform, const std::u16string& printerName, const std::u16string& file) {
  const auto path = PrinterKeyPath(printerName);
  if (!path) return platform::winerr::InvalidName;
  std::unique_ptr<platform::RegistryKey> key;
  if (const platform::LONG error = platform.registry.OpenKeyW(
          platform::RootKey::LocalMachine, *path, platform::regaccess::Read | platform::regaccess::Wow64_64Key, key))
    return static_cast<DWORD>(error);
  if (!key) return platform::winerr::InvalidHandle;
  std::u16string temporary;
  platform::LONG saved = kFileExists;
  for (char16_t mark = 0; mark < kTemporaryMarks && saved == kFileExists; ++mark) {
    temporary = file + u'~' + static_cast<char16_t>(u'0' + mark);
    saved = key->SaveKeyExW(temporary, platform::regsave::LatestFormat);
  }
  key.reset();
  if (saved == kFileExists) return platform::winerr::AlreadyExists;
  // The name was free before the save, so whatever a failed save left there is its own.
  DWORD result = static_cast<DWORD>(saved);
  if (result == Success) result = platform.files.MoveFileExW(temporary, file, platform::movefile::ReplaceExisting);
  if (result != Success) (void)platform.files.DeleteFileW(temporary);
  return result;
}

}  // namespace settingsfile

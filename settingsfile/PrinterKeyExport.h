#pragma once
// A printer's whole key in the spooler's registry area (values and subkeys) saved to a binary
// registry hive file: the printer-settings file.
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace settingsfile {

// The printer's key under HKEY_LOCAL_MACHINE, formatted "%ws\%ws" into 700 units; nullopt when the
// name does not fit.
std::optional<std::u16string> PrinterKeyPath(const std::u16string& printerName);

// Enables the privileges in the process token in turn, stopping at the first failure: 0 or that
// failure. An account that does not hold one still passes: its registry calls fail later (1314).
platform::DWORD EnablePrivileges(platform::ProcessInfo& process, std::initializer_list<std::u16string_view> names);

inline constexpr std::u16string_view kBackupPrivilege = u"SeBackupPrivilege";
inline constexpr std::u16string_view kRestorePrivilege = u"SeRestorePrivilege";

// Saves the printer's key to `file` (the backup privilege must be enabled): 0, or the error of the
// call that failed (winerr::InvalidName for a name too long for the key's path). An existing file
// is replaced only once the new one is complete: the save goes to a fresh name beside it, which
// then takes its place.
platform::DWORD ExportPrinterKey(platform::Platform& platform, const std::u16string& printerName,
                                 const std::u16string& file);

}  // namespace settingsfile

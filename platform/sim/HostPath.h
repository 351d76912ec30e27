#pragma once
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/Win32Types.h"

namespace platform::sim {

// The machine's drives: C: is the machine folder's drive_c/, D: the distribution media, which is
// the folder the program runs from (the host process's current directory). The program's current
// directory is "D:\", so a relative name is on D:.
inline constexpr char kMediaDrive = 'D';
// Z: is the host's whole file system, as Wine maps it: the files a person names on the command line.
inline constexpr char kHostDrive = 'Z';

// The full Windows name of a file name, as GetFullPathNameA makes it: separators become "\",
// "." and ".." parts are resolved, and ".." never climbs above a drive root (or a share's root).
// "X:" without a separator is the root of X:, a rooted "\x" or "/x" is on drive C, a relative
// name on the media drive. The drive letter keeps its case. nullopt for an empty name and for one
// holding a NUL, which no 8-bit Windows call can pass and at which the host's calls would stop.
std::optional<std::string> FullWindowsPath(std::string_view name);

// Where a file name the system passes to the simulated machine lives on the host: its full name
// (see FullWindowsPath) on drive C under driveC, on drive D under the current directory, on Z: the
// host's own. Each missing part takes the spelling of an existing entry that differs only in case.
// nullopt for a name the machine has no place for: other drives, network shares, and names that a symbolic
// link would lead out of their drive's folder.
std::optional<std::filesystem::path> HostPath(std::string_view windowsName, const std::filesystem::path& driveC);

// HostPath as a file call answers: ERROR_INVALID_NAME for a name holding a NUL,
// ERROR_PATH_NOT_FOUND for a name the machine has no place for.
DWORD ResolveHostPath(std::string_view windowsName, const std::filesystem::path& driveC, std::filesystem::path& host);

}  // namespace platform::sim

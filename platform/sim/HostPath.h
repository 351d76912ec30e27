#pragma once
#include <filesystem>
#include <optional>
#include <string_view>

namespace platform::sim {

// Where a file name the system passes to the simulated machine lives on the host:
// "C:\..." (or "c:", or rooted "\...") inside the machine's drive_c folder; a relative name
// (".\KvxIns.ini", "sub\x.ini") under the process's current directory, as the
// Linux program runs from its distribution folder; a host absolute path ("/...") as it is.
// Backslashes become slashes. nullopt for names the machine has no place for (other drives, UNC).
std::optional<std::filesystem::path> HostPath(std::string_view windowsName, const std::filesystem::path& driveC);

}  // namespace platform::sim

#pragma once
#include <filesystem>
#include <optional>
#include <string>

// The distribution folder a run works from: its catalog, driver files and error log are the
// program's ".\" (drive D: on the simulated machine). The folder --media names (relative to the
// current directory); else, for a program started from where a package installed it, the media
// installed with it (installedMedia, relative to the program's folder; empty where the build installs
// none), when it holds the catalog; else the current directory, as when the program is started from
// the distribution folder itself.
std::filesystem::path MediaFolder(const std::optional<std::string>& option, const std::filesystem::path& program,
                                  const std::filesystem::path& installedMedia, const std::filesystem::path& current);

// Makes the media folder the current directory. Empty, or why it cannot be (one line).
std::string EnterMediaFolder(const std::filesystem::path& folder);

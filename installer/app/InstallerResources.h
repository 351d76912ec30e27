#pragma once
#include <optional>
#include <string_view>

#include "ui/headless/ResourceSet.h"

// The installer's dialogs, menus and strings, read from the resource script built into the program.
const ui::headless::ResourceSet& InstallerResources();

// The BMP file of one of the installer's bitmaps, for a build whose program has no resource
// section to load it from; nullopt for a bitmap that does not travel that way.
std::optional<std::string_view> InstallerBitmapFile(int resourceId);

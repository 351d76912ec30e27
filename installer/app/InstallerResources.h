#pragma once
#include "ui/ResourceSet.h"

// The installer's dialogs, menus and strings, read from the resource script built into the program.
const ui::ResourceSet& InstallerResources();

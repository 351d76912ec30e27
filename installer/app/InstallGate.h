#pragma once
#include <memory>

#include "AppContext.h"
#include "engine/OsKind.h"
#include "engine/Win2kXPInstaller.h"
#include "ui/Dialog.h"

// The gate of every installation: classifies the system (into `osKind`), checks the user's right
// to install, lists the parallel ports in the system profile and returns the installer; or shows
// why not over `owner` (none: no window of the program's) and ends the process (ProcessInfo::ExitProcess) with 0xFFFFFFFE (refused),
// 0 (system unknown, or abandoned) or 0xFFFFFFFF (fatal error).
std::unique_ptr<Win2kXPInstaller> CheckOperatingSystem(AppContext& context, ui::Dialog* owner, OsKind& osKind);

// False only when the user's name cannot be read. Without "Netapi32.dll" or its functions there
// is nothing to ask, so the answer is yes.
bool HasInstallPrivilege(AppContext& context);

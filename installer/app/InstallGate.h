#pragma once
#include "app/AppContext.h"

class CPrinterModelDlg;

// The gate of every installation: classifies the system (dialog.selection.osKind), checks the
// user's right to install, lists the parallel ports in the system profile and creates the
// installer in dialog.installer; or shows why not and ends the process (ProcessInfo::ExitProcess)
// with 0xFFFFFFFE (refused), 0 (system unknown, or abandoned) or 0xFFFFFFFF (fatal error).
void CheckOperatingSystem(CPrinterModelDlg& dialog);

// False only when the user's name cannot be read. Without "Netapi32.dll" or its functions there
// is nothing to ask, so the answer is yes.
bool HasInstallPrivilege(AppContext& context);

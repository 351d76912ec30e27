#pragma once
#include "AppContext.h"
#include "engine/OsKind.h"

// Asks the system, and the user through the pick dialog when the system cannot tell.
OsKind DetectOsKind(AppContext& context);

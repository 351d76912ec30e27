#pragma once
#include "engine/CommonInstaller.h"

// The parallel-port kernel driver in "<system>\drivers" is older than the one shipped, or has no
// version at all. A shipped file without a version is never taken as newer.
bool IsInstalledParallelDriverOlder(CommonInstaller& installer);

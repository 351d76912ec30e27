#pragma once
#include "platform/PrintSpooler.h"

// GetPrinterA level 2 as Windows wants it: the size first, then the record. 0, or the error of the
// call that failed (winerr::InvalidData when the spooler names no size).
platform::DWORD ReadPrinterInfo(platform::PrinterHandle& printer, platform::PrinterInfo2A& info);

#pragma once
#include "platform/PrintSpooler.h"

// GetPrinterA level 2 as Windows wants it: the size first, then the record. False when either fails.
bool ReadPrinterInfo(platform::PrinterHandle& printer, platform::PrinterInfo2A& info);

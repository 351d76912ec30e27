#include "engine/PrinterInfo.h"

platform::DWORD ReadPrinterInfo(platform::PrinterHandle& printer, platform::PrinterInfo2A& info) {
  platform::DWORD needed = 0;
  const platform::DWORD error = printer.GetPrinter2A(0, needed, info);
  if (error != platform::winerr::Success && error != platform::winerr::InsufficientBuffer) return error;
  if (needed == 0) return platform::winerr::InvalidData;
  info = platform::PrinterInfo2A{};
  return printer.GetPrinter2A(needed, needed, info);
}

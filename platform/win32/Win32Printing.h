#pragma once
#include "platform/Printing.h"

namespace platform::win32 {

// GDI: printer device contexts, the program's bitmap resources and screen-compatible memory contexts.
class Win32Printing final : public Printing {
public:
  DWORD CreateDCA(const std::string& driver, const std::string& device, const std::string& port,
                  std::unique_ptr<PrinterDC>& out) override;
  // From the executable's own resources (the module the process was started from).
  DWORD LoadBitmapA(int resourceId, std::unique_ptr<Bitmap>& out) override;
  DWORD CreateCompatibleDC(std::unique_ptr<MemoryDC>& out) override;
};

}  // namespace platform::win32

#include "uiplugin/Module.h"

#include <algorithm>
#include <iterator>

namespace uiplugin {

Module& TheModule() {
  static Module module;
  return module;
}

void Attach(void* instance, platform::Platform* platform, ui::Kit* (*pageKit)()) {
  Module& module = TheModule();
  module.instance = instance;
  module.platform = platform;
  module.pageKit = pageKit;
}

void RecordCurrentPrinter(const char16_t* name, oemui::HANDLE handle) {
  Module& module = TheModule();
  std::lock_guard lock(module.currentPrinterLock);
  std::size_t length = 0;
  if (name != nullptr) {
    while (length + 1 < std::size(module.CurrentPrinterName) && name[length] != 0) ++length;
    std::copy_n(name, length, module.CurrentPrinterName);
  }
  module.CurrentPrinterName[length] = 0;
  module.CurrentPrinterHandle = handle;
}

CurrentPrinterRecord CurrentPrinter() {
  Module& module = TheModule();
  std::lock_guard lock(module.currentPrinterLock);
  return {module.CurrentPrinterName, module.CurrentPrinterHandle};
}

void SetLastError(platform::DWORD code) {
  if (platform::Platform* p = TheModule().platform) p->lastError.SetLastError(code);
}

}  // namespace uiplugin

#pragma once
// The module-wide state the COM contract demands: one copy per loaded module, shared by every object.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/Platform.h"
#include "platform/plugin/OemUiAbi.h"

namespace ui {
class Kit;
}

namespace uiplugin {

struct Module {
  void* instance = nullptr;  // the module's instance handle: the resource instance of the property pages
  std::atomic<std::int32_t> ServerLockCount{0};
  std::atomic<std::int32_t> LiveObjectCount{0};
  // The printer whose properties were opened last: the last CommonUIProp in the process wins, and the
  // pages work on whatever it recorded. Reached only through RecordCurrentPrinter/CurrentPrinter, whose
  // lock keeps a reader from seeing half of a name that another thread is writing.
  char16_t CurrentPrinterName[256] = {};
  oemui::HANDLE CurrentPrinterHandle = nullptr;
  std::mutex currentPrinterLock;
  platform::Platform* platform = nullptr;  // the machine the module works on
  // The dialog kit of the pages, made on first use: on Windows not while the loader lock is held.
  ui::Kit* (*pageKit)() = nullptr;
};

Module& TheModule();

// Process attach: the instance handle, the platform the module works on and where its pages' kit
// comes from, before any object exists.
void Attach(void* instance, platform::Platform* platform, ui::Kit* (*pageKit)() = nullptr);

// Records the printer (its name cut to 255 units); a null name records an empty one.
void RecordCurrentPrinter(const char16_t* name, oemui::HANDLE handle);
struct CurrentPrinterRecord {
  std::u16string name;
  oemui::HANDLE handle = nullptr;
};
CurrentPrinterRecord CurrentPrinter();

// SetLastError on the calling thread.
void SetLastError(platform::DWORD code);

}  // namespace uiplugin

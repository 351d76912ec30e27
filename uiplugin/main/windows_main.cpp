// The Windows module's entry points: process attach hands the module its instance handle and the
// services of the running Windows; the two exports forward to the logic every build shares.
#include <windows.h>

#include <cstring>

#include "platform/plugin/OemUiAbi.h"
#include "platform/win32/Win32Platform.h"
#include "ui/win32/Win32Kit.h"
#include "uiplugin/Exports.h"
#include "uiplugin/Module.h"

namespace {

// One set of services for the life of the module, built while the module loads (under the loader
// lock): their constructors make no system calls.
platform::win32::Win32Platform services;
platform::Platform windowsPlatform = services.platform();

HINSTANCE moduleInstance = nullptr;

// The pages' kit takes its templates from this module; made when the first page opens, since it
// initialises the common controls.
ui::Kit* PageKit() {
  static ui::win32::Win32Kit kit(moduleInstance);
  return &kit;
}

oemui::Guid ToGuid(REFGUID id) {
  static_assert(sizeof(oemui::Guid) == sizeof(GUID));
  oemui::Guid guid;
  std::memcpy(&guid, &id, sizeof guid);
  return guid;
}

}  // namespace

// Declared by the system headers with the system's convention (stdcall on x86), which the driver
// core calls; the .def file exports both names undecorated.
STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
  return uiplugin::GetClassObject(ToGuid(clsid), ToGuid(iid), object);
}

STDAPI DllCanUnloadNow() { return uiplugin::CanUnloadNow(); }

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    moduleInstance = instance;
    uiplugin::Attach(instance, &windowsPlatform, &PageKit);
  }
  return TRUE;
}

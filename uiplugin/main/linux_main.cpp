// The Linux module's entry points: the host's attach stands in for process attach, and the two
// exports forward to the logic every build shares.
#include "uiplugin/main/LinuxExports.h"

#include "uiplugin/Exports.h"
#include "uiplugin/Module.h"

#define KVX_EXPORT __attribute__((visibility("default")))

namespace {
ui::Kit* hostKit = nullptr;
}  // namespace

extern "C" {

KVX_EXPORT oemui::HRESULT DllGetClassObject(const oemui::Guid& clsid, const oemui::Guid& iid, void** object) {
  return uiplugin::GetClassObject(clsid, iid, object);
}

KVX_EXPORT oemui::HRESULT DllCanUnloadNow() { return uiplugin::CanUnloadNow(); }

KVX_EXPORT void KvxPluginAttach(void* instance, platform::Platform* platform, ui::Kit* kit) {
  hostKit = kit;
  uiplugin::Attach(instance, platform, [] { return hostKit; });
}

}  // extern "C"

#pragma once
// The Linux module's exports: the two of every build, and the attach call that stands in for process
// attach (the host hands the module its instance, the simulated machine it works on and the dialog kit
// its pages run on).
#include "platform/Platform.h"
#include "platform/plugin/OemUiAbi.h"

namespace ui {
class Kit;
}

extern "C" {
oemui::HRESULT DllGetClassObject(const oemui::Guid& clsid, const oemui::Guid& iid, void** object);
oemui::HRESULT DllCanUnloadNow();
void KvxPluginAttach(void* instance, platform::Platform* platform, ui::Kit* kit);
}

namespace oemui {
using KvxPluginAttachFn = decltype(&KvxPluginAttach);
}  // namespace oemui

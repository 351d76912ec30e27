#pragma once
// What the module's two exports do, shared by every build; the per-build glue only forwards to these.
#include "platform/plugin/OemUiAbi.h"

namespace uiplugin {

// DllGetClassObject: a new factory of the plug-in's one class, asked for `iid`.
oemui::HRESULT GetClassObject(const oemui::Guid& clsid, const oemui::Guid& iid, void** object);

// DllCanUnloadNow: S_OK once no object lives and no lock is held, else S_FALSE.
oemui::HRESULT CanUnloadNow();

}  // namespace uiplugin

#include "uiplugin/Exports.h"

#include "uiplugin/Module.h"
#include "uiplugin/OemCF.h"

namespace uiplugin {

oemui::HRESULT GetClassObject(const oemui::Guid& clsid, const oemui::Guid& iid, void** object) {
  if (object == nullptr) return oemui::hresult::Pointer;
  *object = nullptr;
  if (!(clsid == oemui::ClsidOemUi)) return oemui::hresult::ClassNotAvailable;
  IOemCF* factory = IOemCF::Create();
  if (factory == nullptr) return oemui::hresult::OutOfMemory;
  const oemui::HRESULT result = factory->QueryInterface(iid, object);
  factory->Release();
  return result;
}

oemui::HRESULT CanUnloadNow() {
  const Module& module = TheModule();
  return module.LiveObjectCount.load() != 0 || module.ServerLockCount.load() != 0 ? oemui::hresult::False
                                                                                  : oemui::hresult::Ok;
}

}  // namespace uiplugin

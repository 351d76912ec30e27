#include "uiplugin/OemCF.h"

#include <new>

#include "uiplugin/Module.h"
#include "uiplugin/OemUI.h"

namespace uiplugin {

IOemCF* IOemCF::Create() { return new (std::nothrow) IOemCF(); }

oemui::HRESULT IOemCF::QueryInterface(const oemui::Guid& iid, void** object) {
  if (object == nullptr) return oemui::hresult::Pointer;
  if (iid == oemui::IidUnknown || iid == oemui::IidClassFactory) {
    *object = static_cast<oemui::IClassFactory*>(this);
    AddRef();
    return oemui::hresult::Ok;
  }
  *object = nullptr;
  return oemui::hresult::NoInterface;
}

oemui::ULONG IOemCF::AddRef() { return refs_.Add(); }

oemui::ULONG IOemCF::Release() {
  const oemui::ULONG left = refs_.Drop();
  if (left == 0) delete this;
  return left;
}

oemui::HRESULT IOemCF::CreateInstance(oemui::IUnknown* outer, const oemui::Guid& iid, void** object) {
  if (object == nullptr) return oemui::hresult::Pointer;
  *object = nullptr;
  if (outer != nullptr) return oemui::hresult::NoAggregation;
  IOemUI* ui = IOemUI::Create();
  if (ui == nullptr) return oemui::hresult::OutOfMemory;
  const oemui::HRESULT result = ui->QueryInterface(iid, object);
  ui->Release();
  return result;
}

oemui::HRESULT IOemCF::LockServer(oemui::BOOL lock) {
  if (lock != 0) {
    TheModule().ServerLockCount.fetch_add(1);
  } else {
    TheModule().ServerLockCount.fetch_sub(1);
  }
  return oemui::hresult::Ok;
}

}  // namespace uiplugin

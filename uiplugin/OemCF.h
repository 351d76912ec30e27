#pragma once
// The class factory (IClassFactory) of the plug-in's one class.
#include "platform/plugin/OemUiAbi.h"
#include "uiplugin/LiveObject.h"

namespace uiplugin {

class IOemCF final : public oemui::IClassFactory {
public:
  // A new factory with one reference; null when memory is short.
  static IOemCF* Create();

  oemui::HRESULT KVX_STDCALL QueryInterface(const oemui::Guid& iid, void** object) override;
  oemui::ULONG KVX_STDCALL AddRef() override;
  oemui::ULONG KVX_STDCALL Release() override;
  oemui::HRESULT KVX_STDCALL CreateInstance(oemui::IUnknown* outer, const oemui::Guid& iid, void** object) override;
  oemui::HRESULT KVX_STDCALL LockServer(oemui::BOOL lock) override;

private:
  IOemCF() = default;
  ~IOemCF() = default;

  LiveObject live_;
  RefCount refs_;
};

}  // namespace uiplugin

#pragma once
// The plug-in's object: the printer-driver UI interface (IPrintOemUI).
#include "platform/plugin/OemUiAbi.h"
#include "uiplugin/LiveObject.h"

namespace uiplugin {

class IOemUI final : public oemui::IPrintOemUI {
public:
  // A new object with one reference and no driver interface; null when memory is short.
  static IOemUI* Create();

  oemui::HRESULT KVX_STDCALL QueryInterface(const oemui::Guid& iid, void** object) override;
  oemui::ULONG KVX_STDCALL AddRef() override;
  oemui::ULONG KVX_STDCALL Release() override;
  oemui::HRESULT KVX_STDCALL GetInfo(oemui::DWORD mode, void* buffer, oemui::DWORD bufferSize,
                                     oemui::DWORD* needed) override;
  oemui::HRESULT KVX_STDCALL DevMode(oemui::DWORD mode, oemui::OEMDMPARAM* param) override;
  oemui::HRESULT KVX_STDCALL PublishDriverInterface(oemui::IUnknown* driver) override;
  oemui::HRESULT KVX_STDCALL CommonUIProp(oemui::DWORD mode, oemui::OEMCUIPPARAM* param) override;
  oemui::HRESULT KVX_STDCALL DocumentPropertySheets(oemui::PROPSHEETUI_INFO* info, oemui::LPARAM lParam) override;
  oemui::HRESULT KVX_STDCALL DevicePropertySheets(oemui::PROPSHEETUI_INFO* info, oemui::LPARAM lParam) override;
  oemui::HRESULT KVX_STDCALL DevQueryPrintEx(oemui::OEMUIOBJ* uiObject, oemui::DEVQUERYPRINT_INFO* info,
                                             oemui::DEVMODEW* publicDm, void* oemDm) override;
  oemui::HRESULT KVX_STDCALL DeviceCapabilities(oemui::OEMUIOBJ* uiObject, oemui::HANDLE printer,
                                                oemui::WCHAR* deviceName, oemui::WORD capability, void* output,
                                                oemui::DEVMODEW* publicDm, void* oemDm, oemui::DWORD old,
                                                oemui::DWORD* result) override;
  oemui::HRESULT KVX_STDCALL UpgradePrinter(oemui::DWORD level, std::uint8_t* upgradeInfo) override;
  oemui::HRESULT KVX_STDCALL PrinterEvent(oemui::WCHAR* printerName, int driverEvent, oemui::DWORD flags,
                                          oemui::LPARAM lParam) override;
  oemui::HRESULT KVX_STDCALL DriverEvent(oemui::DWORD driverEvent, oemui::DWORD level, std::uint8_t* driverInfo,
                                         oemui::LPARAM lParam) override;
  oemui::HRESULT KVX_STDCALL QueryColorProfile(oemui::HANDLE printer, oemui::OEMUIOBJ* uiObject,
                                               oemui::DEVMODEW* publicDm, void* oemDm, oemui::ULONG queryMode,
                                               void* profileData, oemui::ULONG* profileDataSize,
                                               oemui::FLONG* profileFlags) override;
  oemui::HRESULT KVX_STDCALL FontInstallerDlgProc(oemui::HWND window, oemui::UINT message, oemui::WPARAM wParam,
                                                  oemui::LPARAM lParam) override;
  oemui::HRESULT KVX_STDCALL UpdateExternalFonts(oemui::HANDLE printer, oemui::HANDLE heap,
                                                 oemui::WCHAR* cartridges) override;

private:
  IOemUI() = default;
  ~IOemUI();

  LiveObject live_;
  RefCount refs_;
  oemui::IUnknown* driver_ = nullptr;  // the driver's IPrintOemDriverUI, once published
};

}  // namespace uiplugin

#pragma once
// What a host program hands the plug-in's host scenarios, however it loaded the module (dlopen on
// Linux, LoadLibrary on Windows): the two exports, the module's instance, a printer and the thread's
// last error.
#include <cstdint>
#include <memory>

#include "platform/plugin/OemUiAbi.h"

namespace pluginhost {

class PluginHost {
public:
  virtual ~PluginHost() = default;
  // The calling thread's last-error code, and setting it before a call.
  virtual std::uint32_t LastError() = 0;
  virtual void SetLastError(std::uint32_t code) = 0;

  oemui::DllGetClassObjectFn getClassObject = nullptr;
  oemui::DllCanUnloadNowFn canUnloadNow = nullptr;
  void* instance = nullptr;  // the module's instance handle as the host sees it
  // An open printer whose data holds "TOLV_LINE_FEEDS_VALUE" = 7 (REG_DWORD), and no
  // "TOLV_X_COMPRESSION_VALUE".
  oemui::HANDLE printer = nullptr;
};

// A driver object of the host, which the module asks for IPrintOemDriverUI; or one that refuses.
class HostDriver final : public oemui::IPrintOemDriverUI {
public:
  explicit HostDriver(bool answers = true) : answers_(answers) {}
  oemui::HRESULT KVX_STDCALL QueryInterface(const oemui::Guid& iid, void** object) override {
    ++asked;
    if (!answers_ || !(iid == oemui::IidPrintOemDriverUi)) {
      *object = nullptr;
      return oemui::hresult::NoInterface;
    }
    *object = static_cast<oemui::IPrintOemDriverUI*>(this);
    AddRef();
    return oemui::hresult::Ok;
  }
  oemui::ULONG KVX_STDCALL AddRef() override { return static_cast<oemui::ULONG>(++refs); }
  oemui::ULONG KVX_STDCALL Release() override { return static_cast<oemui::ULONG>(--refs); }
  int refs = 1, asked = 0;

private:
  bool answers_;
};

// The sheet information a driver core hands over when it builds a device property sheet.
inline oemui::PROPSHEETUI_INFO InitialisingSheet(oemui::HANDLE sheet, oemui::PFNCOMPROPSHEET add) {
  oemui::PROPSHEETUI_INFO info{};
  info.cbSize = sizeof info;
  info.Version = oemui::PropSheetUiInfoVersion;
  info.Reason = oemui::psuireason::Init;
  info.hComPropSheet = sheet;
  info.pfnComPropSheet = add;
  return info;
}

// Each host program defines it: the module loaded (and on Linux attached to a simulated machine), or
// null after reporting a test failure.
std::unique_ptr<PluginHost> OpenPluginHost();

}  // namespace pluginhost

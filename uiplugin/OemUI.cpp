#include "uiplugin/OemUI.h"

#include <cstring>
#include <new>

#include "uiplugin/Module.h"
#include "uiplugin/OemDevMode.h"
#include "uiplugin/PropertyPages.h"

namespace uiplugin {

namespace {

using oemui::DWORD;
using oemui::HRESULT;
namespace hresult = oemui::hresult;

HRESULT Failure(DWORD lastError) {
  SetLastError(lastError);
  return hresult::Fail;
}

// The colour profile named to the driver: a file on disk.
constexpr char16_t ProfileName[] = u"OEMPROFILE.icm";
constexpr oemui::ULONG ProfileBufferSize = 32;

}  // namespace

IOemUI* IOemUI::Create() { return new (std::nothrow) IOemUI(); }

IOemUI::~IOemUI() {
  if (driver_ != nullptr) driver_->Release();
}

HRESULT IOemUI::QueryInterface(const oemui::Guid& iid, void** object) {
  if (object == nullptr) return hresult::Pointer;
  if (iid == oemui::IidUnknown || iid == oemui::IidPrintOemUi) {
    *object = static_cast<oemui::IPrintOemUI*>(this);
    AddRef();
    return hresult::Ok;
  }
  *object = nullptr;
  return hresult::NoInterface;
}

oemui::ULONG IOemUI::AddRef() { return refs_.Add(); }

oemui::ULONG IOemUI::Release() {
  const oemui::ULONG left = refs_.Drop();
  if (left == 0) delete this;
  return left;
}

HRESULT IOemUI::GetInfo(DWORD mode, void* buffer, DWORD bufferSize, DWORD* needed) {
  if (needed == nullptr ||
      (mode != oemui::oemgi::GetSignature && mode != oemui::oemgi::GetVersion && mode != oemui::oemgi::GetPublisherInfo)) {
    return Failure(platform::winerr::InvalidParameter);
  }
  *needed = sizeof(DWORD);
  if (bufferSize < sizeof(DWORD) || buffer == nullptr) return Failure(platform::winerr::InsufficientBuffer);
  if (mode == oemui::oemgi::GetPublisherInfo) {
    *needed = 0;
    return Failure(platform::winerr::NotSupported);
  }
  const DWORD value = mode == oemui::oemgi::GetSignature ? OemSignature : 1;
  std::memcpy(buffer, &value, sizeof value);
  return hresult::Ok;
}

HRESULT IOemUI::DevMode(DWORD mode, oemui::OEMDMPARAM* param) { return uiplugin::DevMode(mode, param); }

HRESULT IOemUI::PublishDriverInterface(oemui::IUnknown* driver) {
  if (driver_ != nullptr) return hresult::Ok;
  void* asked = nullptr;
  if (driver == nullptr || driver->QueryInterface(oemui::IidPrintOemDriverUi, &asked) != hresult::Ok ||
      asked == nullptr) {
    driver_ = nullptr;
    return hresult::Fail;
  }
  driver_ = static_cast<oemui::IUnknown*>(asked);
  return hresult::Ok;
}

HRESULT IOemUI::CommonUIProp(DWORD mode, oemui::OEMCUIPPARAM* param) {
  if (param == nullptr) return Failure(platform::winerr::InvalidParameter);
  RecordCurrentPrinter(param->pPrinterName, param->hPrinter);

  if (mode == oemui::oemcuip::DocProp) return hresult::NotImpl;
  if (mode == oemui::oemcuip::PrnProp) {
    param->cOEMOptItems = 0;  // no items of the plug-in's own in the driver's tree of options
    return hresult::Ok;
  }
  return Failure(platform::winerr::InvalidParameter);
}

HRESULT IOemUI::DocumentPropertySheets(oemui::PROPSHEETUI_INFO*, oemui::LPARAM) { return hresult::NotImpl; }

HRESULT IOemUI::DevicePropertySheets(oemui::PROPSHEETUI_INFO* info, oemui::LPARAM lParam) {
  return uiplugin::DevicePropertySheets(info, lParam);
}

HRESULT IOemUI::DevQueryPrintEx(oemui::OEMUIOBJ*, oemui::DEVQUERYPRINT_INFO*, oemui::DEVMODEW*, void*) {
  return hresult::NotImpl;
}

HRESULT IOemUI::DeviceCapabilities(oemui::OEMUIOBJ*, oemui::HANDLE, oemui::WCHAR*, oemui::WORD, void*,
                                   oemui::DEVMODEW*, void*, DWORD, DWORD*) {
  return hresult::NotImpl;
}

HRESULT IOemUI::UpgradePrinter(DWORD, std::uint8_t*) { return hresult::NotImpl; }

HRESULT IOemUI::PrinterEvent(oemui::WCHAR*, int, DWORD, oemui::LPARAM) { return hresult::NotImpl; }

HRESULT IOemUI::DriverEvent(DWORD, DWORD, std::uint8_t*, oemui::LPARAM) { return hresult::NotImpl; }

HRESULT IOemUI::QueryColorProfile(oemui::HANDLE, oemui::OEMUIOBJ*, oemui::DEVMODEW*, void*, oemui::ULONG queryMode,
                                  void* profileData, oemui::ULONG* profileDataSize, oemui::FLONG* profileFlags) {
  if (queryMode != oemui::qcp::DeviceProfile) return hresult::Fail;
  if (profileDataSize == nullptr || profileFlags == nullptr) return Failure(platform::winerr::InvalidParameter);
  if (profileData == nullptr || *profileDataSize < ProfileBufferSize) {
    *profileDataSize = ProfileBufferSize;
    return Failure(platform::winerr::InsufficientBuffer);
  }
  std::memcpy(profileData, ProfileName, sizeof ProfileName);
  *profileDataSize = ProfileBufferSize;
  *profileFlags = oemui::qcp::ProfileDisk;
  return hresult::Ok;
}

HRESULT IOemUI::FontInstallerDlgProc(oemui::HWND, oemui::UINT, oemui::WPARAM, oemui::LPARAM) {
  return hresult::NotImpl;
}

HRESULT IOemUI::UpdateExternalFonts(oemui::HANDLE, oemui::HANDLE, oemui::WCHAR*) { return hresult::NotImpl; }

}  // namespace uiplugin

// The plug-in's own declarations of the driver-kit records and constants against the Windows headers
// that declare them too: a difference fails the build of this program, on x64 and on x86.
#include <windows.h>
#include <prsht.h>
#include <compstui.h>
#include <commctrl.h>

#include <cstddef>
#include <cstring>
#include <type_traits>

#include "platform/plugin/OemUiAbi.h"

#define KVX_SAME_FIELD(ours, theirs, field) \
  static_assert(offsetof(oemui::ours, field) == offsetof(::theirs, field) && \
                sizeof(oemui::ours::field) == sizeof(::theirs::field), #ours "." #field)

namespace {

static_assert(sizeof(oemui::PROPSHEETUI_INFO) == sizeof(::PROPSHEETUI_INFO));
KVX_SAME_FIELD(PROPSHEETUI_INFO, PROPSHEETUI_INFO, cbSize);
KVX_SAME_FIELD(PROPSHEETUI_INFO, PROPSHEETUI_INFO, Version);
KVX_SAME_FIELD(PROPSHEETUI_INFO, PROPSHEETUI_INFO, Flags);
KVX_SAME_FIELD(PROPSHEETUI_INFO, PROPSHEETUI_INFO, Reason);
KVX_SAME_FIELD(PROPSHEETUI_INFO, PROPSHEETUI_INFO, hComPropSheet);
KVX_SAME_FIELD(PROPSHEETUI_INFO, PROPSHEETUI_INFO, pfnComPropSheet);
KVX_SAME_FIELD(PROPSHEETUI_INFO, PROPSHEETUI_INFO, lParamInit);
KVX_SAME_FIELD(PROPSHEETUI_INFO, PROPSHEETUI_INFO, UserData);
KVX_SAME_FIELD(PROPSHEETUI_INFO, PROPSHEETUI_INFO, Result);

static_assert(sizeof(oemui::PROPSHEETUI_INFO_HEADER) == sizeof(::PROPSHEETUI_INFO_HEADER));
KVX_SAME_FIELD(PROPSHEETUI_INFO_HEADER, PROPSHEETUI_INFO_HEADER, cbSize);
KVX_SAME_FIELD(PROPSHEETUI_INFO_HEADER, PROPSHEETUI_INFO_HEADER, Flags);
KVX_SAME_FIELD(PROPSHEETUI_INFO_HEADER, PROPSHEETUI_INFO_HEADER, pTitle);
KVX_SAME_FIELD(PROPSHEETUI_INFO_HEADER, PROPSHEETUI_INFO_HEADER, hWndParent);
KVX_SAME_FIELD(PROPSHEETUI_INFO_HEADER, PROPSHEETUI_INFO_HEADER, hInst);
KVX_SAME_FIELD(PROPSHEETUI_INFO_HEADER, PROPSHEETUI_INFO_HEADER, hIcon);
KVX_SAME_FIELD(PROPSHEETUI_INFO_HEADER, PROPSHEETUI_INFO_HEADER, IconID);

static_assert(sizeof(oemui::SETRESULT_INFO) == sizeof(::SETRESULT_INFO));
KVX_SAME_FIELD(SETRESULT_INFO, SETRESULT_INFO, cbSize);
KVX_SAME_FIELD(SETRESULT_INFO, SETRESULT_INFO, wReserved);
KVX_SAME_FIELD(SETRESULT_INFO, SETRESULT_INFO, hSetResult);
KVX_SAME_FIELD(SETRESULT_INFO, SETRESULT_INFO, Result);

// The page record as far as the version with header titles: its size is the dwSize a sheet accepts.
static_assert(sizeof(oemui::PROPSHEETPAGEW_V2) ==
              offsetof(::PROPSHEETPAGEW, pszHeaderSubTitle) + sizeof(::PROPSHEETPAGEW::pszHeaderSubTitle));
KVX_SAME_FIELD(PROPSHEETPAGEW_V2, PROPSHEETPAGEW, dwSize);
KVX_SAME_FIELD(PROPSHEETPAGEW_V2, PROPSHEETPAGEW, dwFlags);
KVX_SAME_FIELD(PROPSHEETPAGEW_V2, PROPSHEETPAGEW, hInstance);
KVX_SAME_FIELD(PROPSHEETPAGEW_V2, PROPSHEETPAGEW, pszTemplate);
KVX_SAME_FIELD(PROPSHEETPAGEW_V2, PROPSHEETPAGEW, hIcon);
KVX_SAME_FIELD(PROPSHEETPAGEW_V2, PROPSHEETPAGEW, pszTitle);
KVX_SAME_FIELD(PROPSHEETPAGEW_V2, PROPSHEETPAGEW, pfnDlgProc);
KVX_SAME_FIELD(PROPSHEETPAGEW_V2, PROPSHEETPAGEW, lParam);
KVX_SAME_FIELD(PROPSHEETPAGEW_V2, PROPSHEETPAGEW, pfnCallback);
KVX_SAME_FIELD(PROPSHEETPAGEW_V2, PROPSHEETPAGEW, pcRefParent);
KVX_SAME_FIELD(PROPSHEETPAGEW_V2, PROPSHEETPAGEW, pszHeaderTitle);
KVX_SAME_FIELD(PROPSHEETPAGEW_V2, PROPSHEETPAGEW, pszHeaderSubTitle);

// The calling convention of the callbacks and exports is the system's (stdcall on x86): a mismatch
// makes these function types differ.
static_assert(std::is_same_v<oemui::DLGPROC, oemui::INT_PTR(CALLBACK*)(oemui::HWND, UINT, oemui::WPARAM, oemui::LPARAM)>);
static_assert(std::is_same_v<oemui::PFNCOMPROPSHEET,
                             oemui::LONG_PTR(CALLBACK*)(oemui::HANDLE, UINT, oemui::LPARAM, oemui::LPARAM)>);
static_assert(std::is_same_v<oemui::DllCanUnloadNowFn, oemui::HRESULT(STDAPICALLTYPE*)()>);

static_assert(sizeof(oemui::Guid) == sizeof(GUID));
static_assert(oemui::hresult::Ok == S_OK && oemui::hresult::False == S_FALSE);
static_assert(oemui::hresult::NotImpl == E_NOTIMPL && oemui::hresult::NoInterface == E_NOINTERFACE);
static_assert(oemui::hresult::Fail == E_FAIL && oemui::hresult::OutOfMemory == E_OUTOFMEMORY);
static_assert(oemui::hresult::NoAggregation == CLASS_E_NOAGGREGATION);
static_assert(oemui::hresult::ClassNotAvailable == CLASS_E_CLASSNOTAVAILABLE);
static_assert(oemui::psuireason::Init == PROPSHEETUI_REASON_INIT);
static_assert(oemui::psuireason::GetInfoHeader == PROPSHEETUI_REASON_GET_INFO_HEADER);
static_assert(oemui::psuireason::Destroy == PROPSHEETUI_REASON_DESTROY);
static_assert(oemui::psuireason::SetResult == PROPSHEETUI_REASON_SET_RESULT);
static_assert(oemui::psuireason::GetIcon == PROPSHEETUI_REASON_GET_ICON);
static_assert(oemui::PropSheetUiInfoVersion == PROPSHEETUI_INFO_VERSION);
static_assert(oemui::CpsFuncAddPropSheetPageW == CPSFUNC_ADD_PROPSHEETPAGEW);
static_assert(oemui::WmInitDialog == WM_INITDIALOG);
static_assert(oemui::WmCommand == WM_COMMAND && oemui::WmNotify == WM_NOTIFY && oemui::WmShowWindow == WM_SHOWWINDOW &&
              oemui::WmDestroy == WM_DESTROY && oemui::WmNcDestroy == WM_NCDESTROY && oemui::NmClick == NM_CLICK);
static_assert(sizeof(oemui::NMHDR) == sizeof(::NMHDR));
KVX_SAME_FIELD(NMHDR, NMHDR, code);
static_assert(sizeof(oemui::NMITEMACTIVATE) == sizeof(::NMITEMACTIVATE));
KVX_SAME_FIELD(NMITEMACTIVATE, NMITEMACTIVATE, iItem);
KVX_SAME_FIELD(NMITEMACTIVATE, NMITEMACTIVATE, ptAction);
KVX_SAME_FIELD(NMITEMACTIVATE, NMITEMACTIVATE, uKeyFlags);

}  // namespace

// The two interface ids of COM itself, byte for byte as the system's import library holds them
// (the driver-kit ids have no declaration in these headers).
bool PluginAbiComIdsMatch() {
  return std::memcmp(&oemui::IidUnknown, &IID_IUnknown, sizeof(GUID)) == 0 &&
         std::memcmp(&oemui::IidClassFactory, &IID_IClassFactory, sizeof(GUID)) == 0;
}

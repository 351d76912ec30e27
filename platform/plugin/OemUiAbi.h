#pragma once
// The binary interface between the printer driver's user-interface core and its UI plug-in: the COM
// interfaces, records, identifiers and constants of the Windows printer-driver kit, as published,
// declared without the Windows headers so the same objects build for Windows (x64, x86) and Linux.
//
// Names of constants avoid the Windows headers' macros (S_OK, WM_INITDIALOG ...) so a unit can include
// both. wingdi.h defines DeviceCapabilities as a macro: a unit that includes it before this header
// renames that slot consistently; one that includes it after cannot call the slot by name.
#include <cstddef>
#include <cstdint>

#include "platform/Win32Types.h"

// The calling convention of COM methods, exports and callbacks (WINAPI/STDMETHODCALLTYPE/CALLBACK):
// stdcall on x86, the one platform convention everywhere else.
#if defined(__i386__)
#define KVX_STDCALL __attribute__((stdcall))
#else
#define KVX_STDCALL
#endif

namespace oemui {

using platform::DWORD;
using platform::LONG;
using platform::UINT;
using platform::ULONG;
using platform::WORD;
using HRESULT = std::int32_t;
using BOOL = std::int32_t;
using WCHAR = char16_t;
using HANDLE = void*;
using HWND = void*;
using HINSTANCE = void*;
using HICON = void*;
using LPARAM = std::intptr_t;
using WPARAM = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using ULONG_PTR = std::uintptr_t;
using INT_PTR = std::intptr_t;
using LRESULT = std::intptr_t;
using FLONG = ULONG;

// Records the plug-in only passes on or never looks into.
struct DEVMODEW;
struct OEMUIOBJ;
struct DEVQUERYPRINT_INFO;
struct OPTITEM;
struct CPSUICBPARAM;

namespace hresult {
constexpr HRESULT Ok = 0;
constexpr HRESULT False = 1;
constexpr HRESULT NotImpl = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT NoInterface = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT Pointer = static_cast<HRESULT>(0x80004003u);  // E_POINTER: a null out pointer
constexpr HRESULT Fail = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT OutOfMemory = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT NoAggregation = static_cast<HRESULT>(0x80040110u);       // CLASS_E_NOAGGREGATION
constexpr HRESULT ClassNotAvailable = static_cast<HRESULT>(0x80040111u);   // CLASS_E_CLASSNOTAVAILABLE
}  // namespace hresult

// GUID, compared as all 16 bytes.
struct Guid {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
};

constexpr bool operator==(const Guid& a, const Guid& b) {
  if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.data4[i] != b.data4[i]) return false;
  }
  return true;
}

// The class id every printer-driver UI plug-in answers to.
constexpr Guid ClsidOemUi{0xABCE80D7, 0x9F46, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}};
constexpr Guid IidPrintOemUi{0xC6A7A9D0, 0x774C, 0x11D1, {0x94, 0x7F, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};
constexpr Guid IidPrintOemDriverUi{0x92B05D50, 0x78BC, 0x11D1, {0x94, 0x80, 0x00, 0xA0, 0xC9, 0x06, 0x40, 0xB8}};
constexpr Guid IidUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr Guid IidClassFactory{0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace oemgi {  // GetInfo modes
constexpr DWORD GetSignature = 1;
constexpr DWORD GetInterfaceVersion = 2;
constexpr DWORD GetVersion = 3;
constexpr DWORD GetPublisherInfo = 4;
}  // namespace oemgi

namespace oemdm {  // DevMode modes
constexpr DWORD Size = 1;
constexpr DWORD Default = 2;
constexpr DWORD Convert = 3;
constexpr DWORD Merge = 4;
}  // namespace oemdm

namespace oemcuip {  // CommonUIProp modes
constexpr DWORD DocProp = 1;
constexpr DWORD PrnProp = 2;
}  // namespace oemcuip

namespace psuireason {  // PROPSHEETUI_INFO.Reason
constexpr WORD Init = 0;
constexpr WORD GetInfoHeader = 1;
constexpr WORD Destroy = 2;
constexpr WORD SetResult = 3;
constexpr WORD GetIcon = 4;
}  // namespace psuireason

constexpr WORD PropSheetUiInfoVersion = 0x100;  // PROPSHEETUI_INFO_VERSION
constexpr UINT CpsFuncAddPropSheetPageW = 1;    // CPSFUNC_ADD_PROPSHEETPAGEW

namespace qcp {  // QueryColorProfile query modes and profile flags
constexpr ULONG DeviceProfile = 0;
constexpr ULONG SourceProfile = 1;
constexpr FLONG ProfileMemory = 1;
constexpr FLONG ProfileDisk = 2;
}  // namespace qcp

constexpr UINT WmInitDialog = 0x0110;  // WM_INITDIALOG
// The window messages the pages answer.
constexpr UINT WmDestroy = 0x0002;
constexpr UINT WmShowWindow = 0x0018;
constexpr UINT WmNotify = 0x004E;
constexpr UINT WmNcDestroy = 0x0082;
constexpr UINT WmCommand = 0x0111;
constexpr UINT NmClick = static_cast<UINT>(-2);

// WM_NOTIFY's record, and the one a list view's NM_CLICK carries.
struct NMHDR {
  HWND hwndFrom;
  ULONG_PTR idFrom;
  UINT code;
};
struct POINT {
  LONG x;
  LONG y;
};
struct NMITEMACTIVATE {
  NMHDR hdr;
  std::int32_t iItem;
  std::int32_t iSubItem;
  UINT uNewState;
  UINT uOldState;
  UINT uChanged;
  POINT ptAction;
  LPARAM lParam;
  UINT uKeyFlags;
};

// Callbacks.
using PFNCOMPROPSHEET = LONG_PTR(KVX_STDCALL*)(HANDLE hComPropSheet, UINT function, LPARAM lParam1, LPARAM lParam2);
using DLGPROC = INT_PTR(KVX_STDCALL*)(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
struct OEMCUIPPARAM;
using OEMCUIPCALLBACK = LONG(KVX_STDCALL*)(CPSUICBPARAM* callbackParam, OEMCUIPPARAM* param);

// The standard header of a plug-in's private device-mode section.
struct OEM_DMEXTRAHEADER {
  DWORD dwSize;
  DWORD dwSignature;
  DWORD dwVersion;
};

struct OEMDMPARAM {
  DWORD cbSize;
  void* pdriverobj;
  HANDLE hPrinter;
  HANDLE hModule;
  DEVMODEW* pPublicDMIn;
  DEVMODEW* pPublicDMOut;
  void* pOEMDMIn;
  void* pOEMDMOut;
  DWORD cbBufSize;
};

struct OEMCUIPPARAM {
  DWORD cbSize;
  OEMUIOBJ* poemuiobj;
  HANDLE hPrinter;
  WCHAR* pPrinterName;
  HANDLE hModule;
  HANDLE hOEMHeap;
  DEVMODEW* pPublicDM;
  void* pOEMDM;
  DWORD dwFlags;
  OPTITEM* pDrvOptItems;
  DWORD cDrvOptItems;
  OPTITEM* pOEMOptItems;
  DWORD cOEMOptItems;
  void* pOEMUserData;
  OEMCUIPCALLBACK OEMCUIPCallback;
};

struct PROPSHEETUI_INFO {
  WORD cbSize;
  WORD Version;
  WORD Flags;
  WORD Reason;
  HANDLE hComPropSheet;
  PFNCOMPROPSHEET pfnComPropSheet;
  LPARAM lParamInit;
  ULONG_PTR UserData;
  ULONG_PTR Result;
};

// The driver core is a Unicode program: the title is wide text.
struct PROPSHEETUI_INFO_HEADER {
  WORD cbSize;
  WORD Flags;
  const WCHAR* pTitle;
  HWND hWndParent;
  HINSTANCE hInst;
  union {
    HICON hIcon;
    ULONG_PTR IconID;
  };
};

struct SETRESULT_INFO {
  WORD cbSize;
  WORD wReserved;
  HANDLE hSetResult;
  LRESULT Result;
};

// PROPSHEETPAGEW up to the header-title fields; dwSize says which version the sheet receives.
struct PROPSHEETPAGEW_V2 {
  DWORD dwSize;
  DWORD dwFlags;
  HINSTANCE hInstance;
  const WCHAR* pszTemplate;  // or a MAKEINTRESOURCE number, or the template itself (PSP_DLGINDIRECT)
  HICON hIcon;               // or pszIcon
  const WCHAR* pszTitle;
  DLGPROC pfnDlgProc;
  LPARAM lParam;
  void* pfnCallback;
  UINT* pcRefParent;
  const WCHAR* pszHeaderTitle;
  const WCHAR* pszHeaderSubTitle;
};

// MAKEINTRESOURCEW.
inline const WCHAR* MakeIntResource(WORD id) {
  return reinterpret_cast<const WCHAR*>(static_cast<std::uintptr_t>(id));
}

// Interfaces: abstract classes whose virtual functions are the vtable slots in published order. No
// virtual destructor (it would add slots); objects delete themselves in Release.
class IUnknown {
public:
  virtual HRESULT KVX_STDCALL QueryInterface(const Guid& iid, void** object) = 0;
  virtual ULONG KVX_STDCALL AddRef() = 0;
  virtual ULONG KVX_STDCALL Release() = 0;

protected:
  ~IUnknown() = default;
};

class IClassFactory : public IUnknown {
public:
  virtual HRESULT KVX_STDCALL CreateInstance(IUnknown* outer, const Guid& iid, void** object) = 0;
  virtual HRESULT KVX_STDCALL LockServer(BOOL lock) = 0;

protected:
  ~IClassFactory() = default;
};

// The driver's helper interface. Only its IUnknown part is declared: the plug-in keeps the pointer
// and releases it, and calls none of the driver's own slots.
class IPrintOemDriverUI : public IUnknown {
protected:
  ~IPrintOemDriverUI() = default;
};

class IPrintOemUI : public IUnknown {
public:
  virtual HRESULT KVX_STDCALL GetInfo(DWORD mode, void* buffer, DWORD bufferSize, DWORD* needed) = 0;
  virtual HRESULT KVX_STDCALL DevMode(DWORD mode, OEMDMPARAM* param) = 0;
  virtual HRESULT KVX_STDCALL PublishDriverInterface(IUnknown* driver) = 0;
  virtual HRESULT KVX_STDCALL CommonUIProp(DWORD mode, OEMCUIPPARAM* param) = 0;
  virtual HRESULT KVX_STDCALL DocumentPropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam) = 0;
  virtual HRESULT KVX_STDCALL DevicePropertySheets(PROPSHEETUI_INFO* info, LPARAM lParam) = 0;
  virtual HRESULT KVX_STDCALL DevQueryPrintEx(OEMUIOBJ* uiObject, DEVQUERYPRINT_INFO* info, DEVMODEW* publicDm,
                                              void* oemDm) = 0;
  virtual HRESULT KVX_STDCALL DeviceCapabilities(OEMUIOBJ* uiObject, HANDLE printer, WCHAR* deviceName,
                                                 WORD capability, void* output, DEVMODEW* publicDm, void* oemDm,
                                                 DWORD old, DWORD* result) = 0;
  virtual HRESULT KVX_STDCALL UpgradePrinter(DWORD level, std::uint8_t* upgradeInfo) = 0;
  virtual HRESULT KVX_STDCALL PrinterEvent(WCHAR* printerName, int driverEvent, DWORD flags, LPARAM lParam) = 0;
  virtual HRESULT KVX_STDCALL DriverEvent(DWORD driverEvent, DWORD level, std::uint8_t* driverInfo,
                                          LPARAM lParam) = 0;
  virtual HRESULT KVX_STDCALL QueryColorProfile(HANDLE printer, OEMUIOBJ* uiObject, DEVMODEW* publicDm,
                                                void* oemDm, ULONG queryMode, void* profileData,
                                                ULONG* profileDataSize, FLONG* profileFlags) = 0;
  virtual HRESULT KVX_STDCALL FontInstallerDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual HRESULT KVX_STDCALL UpdateExternalFonts(HANDLE printer, HANDLE heap, WCHAR* cartridges) = 0;

protected:
  ~IPrintOemUI() = default;
};

// The module's two exports.
using DllGetClassObjectFn = HRESULT(KVX_STDCALL*)(const Guid& clsid, const Guid& iid, void** object);
using DllCanUnloadNowFn = HRESULT(KVX_STDCALL*)();

// Layout checks for both pointer sizes: x64 first, x86 second.
namespace layout {
constexpr std::size_t Pick(std::size_t x64, std::size_t x86) { return sizeof(void*) == 8 ? x64 : x86; }
static_assert(sizeof(void*) == 8 || sizeof(void*) == 4);
static_assert(sizeof(Guid) == 16);
static_assert(sizeof(HRESULT) == 4 && sizeof(ULONG) == 4 && sizeof(WCHAR) == 2 && sizeof(LPARAM) == sizeof(void*));

static_assert(sizeof(OEM_DMEXTRAHEADER) == 12);
static_assert(offsetof(OEM_DMEXTRAHEADER, dwSignature) == 4 && offsetof(OEM_DMEXTRAHEADER, dwVersion) == 8);

static_assert(sizeof(OEMDMPARAM) == Pick(72, 36));
static_assert(offsetof(OEMDMPARAM, pdriverobj) == Pick(8, 4));
static_assert(offsetof(OEMDMPARAM, hPrinter) == Pick(16, 8));
static_assert(offsetof(OEMDMPARAM, hModule) == Pick(24, 12));
static_assert(offsetof(OEMDMPARAM, pPublicDMIn) == Pick(32, 16));
static_assert(offsetof(OEMDMPARAM, pPublicDMOut) == Pick(40, 20));
static_assert(offsetof(OEMDMPARAM, pOEMDMIn) == Pick(48, 24));
static_assert(offsetof(OEMDMPARAM, pOEMDMOut) == Pick(56, 28));
static_assert(offsetof(OEMDMPARAM, cbBufSize) == Pick(64, 32));

static_assert(sizeof(OEMCUIPPARAM) == Pick(120, 60));
static_assert(offsetof(OEMCUIPPARAM, poemuiobj) == Pick(8, 4));
static_assert(offsetof(OEMCUIPPARAM, hPrinter) == Pick(16, 8));
static_assert(offsetof(OEMCUIPPARAM, pPrinterName) == Pick(24, 12));
static_assert(offsetof(OEMCUIPPARAM, hModule) == Pick(32, 16));
static_assert(offsetof(OEMCUIPPARAM, hOEMHeap) == Pick(40, 20));
static_assert(offsetof(OEMCUIPPARAM, pPublicDM) == Pick(48, 24));
static_assert(offsetof(OEMCUIPPARAM, pOEMDM) == Pick(56, 28));
static_assert(offsetof(OEMCUIPPARAM, dwFlags) == Pick(64, 32));
static_assert(offsetof(OEMCUIPPARAM, pDrvOptItems) == Pick(72, 36));
static_assert(offsetof(OEMCUIPPARAM, cDrvOptItems) == Pick(80, 40));
static_assert(offsetof(OEMCUIPPARAM, pOEMOptItems) == Pick(88, 44));
static_assert(offsetof(OEMCUIPPARAM, cOEMOptItems) == Pick(96, 48));
static_assert(offsetof(OEMCUIPPARAM, pOEMUserData) == Pick(104, 52));
static_assert(offsetof(OEMCUIPPARAM, OEMCUIPCallback) == Pick(112, 56));

static_assert(sizeof(PROPSHEETUI_INFO) == Pick(48, 28));
static_assert(offsetof(PROPSHEETUI_INFO, Version) == 2 && offsetof(PROPSHEETUI_INFO, Flags) == 4 &&
              offsetof(PROPSHEETUI_INFO, Reason) == 6);
static_assert(offsetof(PROPSHEETUI_INFO, hComPropSheet) == Pick(8, 8));
static_assert(offsetof(PROPSHEETUI_INFO, pfnComPropSheet) == Pick(16, 12));
static_assert(offsetof(PROPSHEETUI_INFO, lParamInit) == Pick(24, 16));
static_assert(offsetof(PROPSHEETUI_INFO, UserData) == Pick(32, 20));
static_assert(offsetof(PROPSHEETUI_INFO, Result) == Pick(40, 24));

static_assert(sizeof(PROPSHEETUI_INFO_HEADER) == Pick(40, 20));
static_assert(offsetof(PROPSHEETUI_INFO_HEADER, Flags) == 2);
static_assert(offsetof(PROPSHEETUI_INFO_HEADER, pTitle) == Pick(8, 4));
static_assert(offsetof(PROPSHEETUI_INFO_HEADER, hWndParent) == Pick(16, 8));
static_assert(offsetof(PROPSHEETUI_INFO_HEADER, hInst) == Pick(24, 12));
static_assert(offsetof(PROPSHEETUI_INFO_HEADER, hIcon) == Pick(32, 16));
static_assert(offsetof(PROPSHEETUI_INFO_HEADER, IconID) == Pick(32, 16));

static_assert(sizeof(SETRESULT_INFO) == Pick(24, 12));
static_assert(offsetof(SETRESULT_INFO, wReserved) == 2);
static_assert(offsetof(SETRESULT_INFO, hSetResult) == Pick(8, 4));
static_assert(offsetof(SETRESULT_INFO, Result) == Pick(16, 8));

static_assert(sizeof(PROPSHEETPAGEW_V2) == Pick(88, 48));
static_assert(offsetof(PROPSHEETPAGEW_V2, dwFlags) == 4);
static_assert(offsetof(PROPSHEETPAGEW_V2, hInstance) == Pick(8, 8));
static_assert(offsetof(PROPSHEETPAGEW_V2, pszTemplate) == Pick(16, 12));
static_assert(offsetof(PROPSHEETPAGEW_V2, hIcon) == Pick(24, 16));
static_assert(offsetof(PROPSHEETPAGEW_V2, pszTitle) == Pick(32, 20));
static_assert(offsetof(PROPSHEETPAGEW_V2, pfnDlgProc) == Pick(40, 24));
static_assert(offsetof(PROPSHEETPAGEW_V2, lParam) == Pick(48, 28));
static_assert(offsetof(PROPSHEETPAGEW_V2, pfnCallback) == Pick(56, 32));
static_assert(offsetof(PROPSHEETPAGEW_V2, pcRefParent) == Pick(64, 36));
static_assert(offsetof(PROPSHEETPAGEW_V2, pszHeaderTitle) == Pick(72, 40));
static_assert(offsetof(PROPSHEETPAGEW_V2, pszHeaderSubTitle) == Pick(80, 44));
static_assert(sizeof(NMHDR) == Pick(24, 12) && offsetof(NMHDR, idFrom) == Pick(8, 4) &&
              offsetof(NMHDR, code) == Pick(16, 8));
static_assert(sizeof(NMITEMACTIVATE) == Pick(72, 48) && offsetof(NMITEMACTIVATE, iItem) == Pick(24, 12) &&
              offsetof(NMITEMACTIVATE, ptAction) == Pick(44, 32) && offsetof(NMITEMACTIVATE, lParam) == Pick(56, 40));
}  // namespace layout

}  // namespace oemui

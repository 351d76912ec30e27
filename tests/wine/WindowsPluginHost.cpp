// The Windows host of the plug-in scenarios: loads TolvUIRQ7K.dll with LoadLibraryW and takes its two
// exports with GetProcAddress, as the printer driver's UI core does, next to a printer of this
// Windows' spooler whose data holds the line-feed value. Then what only the Windows module has: its
// pages in a real property sheet, its string tables and picture, and its version.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/plugin/OemUiAbi.h"
#include "resource.h"
#include "tests/platform/win32/SpoolerTestSupport.h"
#include "tests/uiplugin/host/PluginHost.h"
#include "tests/wine/WindowAnswerer.h"
#include "tests/wine/WindowPicture.h"

bool PluginAbiComIdsMatch();

namespace {

constexpr const char* kDriver = "Kvx Plugin Host Driver";
constexpr const char* kPrinter = "Kvx Plugin Host Printer";

// KVX_PLUGIN_DLL is the Wine path of the built module, with forward slashes.
std::wstring PluginPath() {
  std::wstring path;
  for (const char* c = KVX_PLUGIN_DLL; *c != '\0'; ++c) path += static_cast<wchar_t>(*c == '/' ? '\\' : *c);
  return path;
}

class WindowsPluginHost final : public pluginhost::PluginHost {
public:
  WindowsPluginHost() = default;
  WindowsPluginHost(const WindowsPluginHost&) = delete;
  WindowsPluginHost& operator=(const WindowsPluginHost&) = delete;
  ~WindowsPluginHost() override {
    if (printer != nullptr) ClosePrinter(printer);
    Remove();
    if (module_ != nullptr) FreeLibrary(module_);
  }

  bool Open() {
    module_ = LoadLibraryW(PluginPath().c_str());
    if (module_ == nullptr) {
      ADD_FAILURE() << "LoadLibraryW " << KVX_PLUGIN_DLL << ": error " << ::GetLastError();
      return false;
    }
    instance = module_;
    getClassObject = reinterpret_cast<oemui::DllGetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
    canUnloadNow = reinterpret_cast<oemui::DllCanUnloadNowFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
    return AddHostPrinter();
  }

  std::uint32_t LastError() override { return ::GetLastError(); }
  void SetLastError(std::uint32_t code) override { ::SetLastError(code); }

private:
  // Wine answers the device-mode calls of AddPrinter through the driver's configuration module, so
  // its own driver stands in for one; it cannot open a printer without a data type.
  bool AddHostPrinter() {
    Remove();
    const std::string directory = spooler_test::DriverDirectory();
    files_.Make(directory + "\\kvxhost.dll");
    files_.Make(directory + "\\kvxhost.gpd");
    files_.Make(directory + "\\kvxhostui.dll", spooler_test::StandInConfigModule());
    DRIVER_INFO_3A driver{};
    driver.cVersion = 3;
    driver.pName = const_cast<char*>(kDriver);
    driver.pDriverPath = const_cast<char*>("kvxhost.dll");
    driver.pDataFile = const_cast<char*>("kvxhost.gpd");
    driver.pConfigFile = const_cast<char*>("kvxhostui.dll");
    if (!AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&driver))) {
      ADD_FAILURE() << "AddPrinterDriverA: error " << ::GetLastError();
      return false;
    }
    PRINTER_INFO_2A info{};
    info.pPrinterName = const_cast<char*>(kPrinter);
    info.pPortName = const_cast<char*>("LPT1:");
    info.pDriverName = const_cast<char*>(kDriver);
    info.pPrintProcessor = const_cast<char*>("WinPrint");
    info.pDatatype = const_cast<char*>("RAW");
    info.Attributes = PRINTER_ATTRIBUTE_LOCAL;
    printer = ::AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (printer == nullptr) {
      ADD_FAILURE() << "AddPrinterA: error " << ::GetLastError();
      return false;
    }
    DWORD lineFeeds = 7;
    const DWORD stored = SetPrinterDataW(printer, const_cast<wchar_t*>(L"TOLV_LINE_FEEDS_VALUE"), REG_DWORD,
                                         reinterpret_cast<BYTE*>(&lineFeeds), sizeof lineFeeds);
    EXPECT_EQ(stored, static_cast<DWORD>(ERROR_SUCCESS)) << "SetPrinterDataW";
    return stored == ERROR_SUCCESS;
  }

  static void Remove() {
    spooler_test::RemovePrinter(kPrinter);
    spooler_test::RemoveDriver(kDriver);
  }

  HMODULE module_ = nullptr;
  spooler_test::DriverFiles files_;
};

// The UI object through the exports; null after a reported failure.
oemui::IPrintOemUI* CreateUi(pluginhost::PluginHost& host) {
  oemui::IClassFactory* factory = nullptr;
  if (host.getClassObject(oemui::ClsidOemUi, oemui::IidClassFactory, reinterpret_cast<void**>(&factory)) !=
      oemui::hresult::Ok) {
    ADD_FAILURE() << "DllGetClassObject";
    return nullptr;
  }
  oemui::IPrintOemUI* ui = nullptr;
  EXPECT_EQ(factory->CreateInstance(nullptr, oemui::IidPrintOemUi, reinterpret_cast<void**>(&ui)), oemui::hresult::Ok);
  factory->Release();
  return ui;
}

// The sheet side of the driver core: each page record the module adds becomes a real page.
struct RealSheet {
  HMODULE module = nullptr;
  std::vector<HPROPSHEETPAGE> pages;
  static oemui::LONG_PTR KVX_STDCALL Add(oemui::HANDLE sheet, oemui::UINT function, oemui::LPARAM page,
                                         oemui::LPARAM) {
    auto* self = static_cast<RealSheet*>(sheet);
    const auto* record = reinterpret_cast<const PROPSHEETPAGEW*>(page);
    EXPECT_EQ(function, oemui::CpsFuncAddPropSheetPageW);
    EXPECT_EQ(record->hInstance, self->module) << "pages take their templates from the module";
    EXPECT_NE(FindResourceW(record->hInstance, record->pszTemplate, MAKEINTRESOURCEW(5)), nullptr)  // RT_DIALOG
        << "template " << reinterpret_cast<std::uintptr_t>(record->pszTemplate);
    HPROPSHEETPAGE made = CreatePropertySheetPageW(record);
    if (made == nullptr) return 0;
    self->pages.push_back(made);
    return static_cast<oemui::LONG_PTR>(self->pages.size());
  }
};

std::wstring TabText(HWND tabs, int index) {
  wchar_t text[64] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text;
  item.cchTextMax = 64;
  return SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item))
             ? std::wstring(text)
             : L"(no tab)";
}

// What the window shows, as a BMP in the folder KVX_PLUGIN_SHOTS names (for a person to look at);
// nothing without it.
void SavePicture(HWND window, const char* name) {
  const char* folder = std::getenv("KVX_PLUGIN_SHOTS");
  if (folder == nullptr) return;
  SaveWindowPicture(window, std::string(folder) + "\\" + name + ".bmp", 300);  // let the page paint
}

class WindowsPluginModule : public testing::Test {
protected:
  void SetUp() override {
    host = pluginhost::OpenPluginHost();
    ASSERT_NE(host, nullptr);
    module = static_cast<HMODULE>(host->instance);
  }
  std::unique_ptr<pluginhost::PluginHost> host;
  HMODULE module = nullptr;
};

std::wstring ItemText(HWND list, int item, int column) {
  wchar_t text[256] = {};
  LVITEMW record{};
  record.iSubItem = column;
  record.pszText = text;
  record.cchTextMax = 256;
  SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&record));
  return text;
}

// The printer's data value as the page stored it; empty when missing.
std::vector<BYTE> PrinterData(HANDLE printer, const wchar_t* name) {
  DWORD type = 0, needed = 0;
  GetPrinterDataW(printer, const_cast<wchar_t*>(name), &type, nullptr, 0, &needed);
  std::vector<BYTE> data(needed);
  if (needed == 0 || GetPrinterDataW(printer, const_cast<wchar_t*>(name), &type, data.data(), needed, &needed) !=
                         ERROR_SUCCESS) {
    data.clear();
  }
  return data;
}

void ChooseDeviceFont(HWND page, int index) {
  HWND combo = GetDlgItem(page, IDC_DEVICE_FONT);
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_DEVICE_FONT, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

// Column 1 of every row, or the first row that differs from `expected`.
std::wstring RowsNotShowing(HWND list, const std::wstring& expected) {
  const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < rows; ++row) {
    if (ItemText(list, row, 1) != expected) return L"row " + std::to_wstring(row) + L": " + ItemText(list, row, 1);
  }
  return {};
}

constexpr const wchar_t* kSheetCaption = L"Kvx plug-in host";

// The driver core's sequence: the printer recorded through CommonUIProp, then the module's pages in
// a real modeless sheet, on the import/export page. Null after a reported failure.
HWND OpenSheet(pluginhost::PluginHost& host, HMODULE module) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  oemui::IPrintOemUI* ui = CreateUi(host);
  if (ui == nullptr) return nullptr;
  std::u16string name = u"Kvx Plugin Host Printer";
  oemui::OEMCUIPPARAM common{};
  common.cbSize = sizeof common;
  common.hPrinter = host.printer;
  common.pPrinterName = name.data();
  EXPECT_EQ(ui->CommonUIProp(oemui::oemcuip::PrnProp, &common), oemui::hresult::Ok);
  RealSheet sheet{module, {}};
  oemui::PROPSHEETUI_INFO info = pluginhost::InitialisingSheet(&sheet, &RealSheet::Add);
  EXPECT_EQ(ui->DevicePropertySheets(&info, 0), oemui::hresult::Ok);
  ui->Release();
  if (sheet.pages.size() != 2) {
    ADD_FAILURE() << sheet.pages.size() << " pages added";
    return nullptr;
  }
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_MODELESS;
  header.pszCaption = kSheetCaption;
  header.nPages = 2;
  header.phpage = sheet.pages.data();
  auto window = reinterpret_cast<HWND>(PropertySheetW(&header));
  if (window == nullptr) ADD_FAILURE() << "no sheet: no display? run under the Wine test fixture";
  return window;
}

TEST_F(WindowsPluginModule, PagesWorkInARealPropertySheetOnTheRecordedPrinter) {
  DWORD off = 0;
  ASSERT_EQ(SetPrinterDataW(host->printer, const_cast<wchar_t*>(L"TTFontSubTableEnable"), REG_DWORD,
                            reinterpret_cast<BYTE*>(&off), sizeof off),
            static_cast<DWORD>(ERROR_SUCCESS));
  HWND window = OpenSheet(*host, module);
  ASSERT_NE(window, nullptr);
  HWND tabs = PropSheet_GetTabControl(window);
  EXPECT_EQ(TabText(tabs, 0), L"Korvex ");
  EXPECT_EQ(TabText(tabs, 1), L"Font substitution");
  SavePicture(window, "page-106");

  PropSheet_SetCurSel(window, nullptr, 1);
  HWND page = PropSheet_GetCurrentPageHwnd(window);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(PrinterData(host->printer, L"TTFontSubTableEnable"), (std::vector<BYTE>{1, 0, 0, 0}))
      << "opening the page turns substitution on";
  HWND list = GetDlgItem(page, IDC_FONT_LIST);
  ASSERT_GT(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 0) << "the prefix's TrueType families";
  const std::wstring first = ItemText(list, 0, 0);
  EXPECT_EQ(RowsNotShowing(list, L"Do not substitute"), L"") << "nothing stored yet";
  wchar_t shown[64] = {};
  GetDlgItemTextW(page, IDC_TRUETYPE_NAME, shown, 64);
  EXPECT_EQ(shown, first) << "showing the page clicks the first row";
  SavePicture(window, "page-107");

  ChooseDeviceFont(page, 1);  // FontA11, for the row clicked
  EXPECT_EQ(ItemText(list, 0, 1), L"FontA11");
  SendMessageW(GetDlgItem(page, IDC_SAVE_FONTS), BM_CLICK, 0, 0);
  std::wstring stored = first + L'\0' + L"FontA11" + L'\0' + L'\0';
  const auto* bytes = reinterpret_cast<const BYTE*>(stored.data());
  EXPECT_EQ(PrinterData(host->printer, L"TTFontSubTable"),
            std::vector<BYTE>(bytes, bytes + stored.size() * sizeof(wchar_t)));
  const DWORD units = static_cast<DWORD>(first.size() + 8);
  EXPECT_EQ(PrinterData(host->printer, L"TTFontSubTableSize"),
            (std::vector<BYTE>{static_cast<BYTE>(units), static_cast<BYTE>(units >> 8), 0, 0}));

  SendMessageW(GetDlgItem(page, IDC_REPLACE_ALL), BM_CLICK, 0, 0);
  ChooseDeviceFont(page, 9);  // Barcode3
  EXPECT_EQ(RowsNotShowing(list, L"Barcode3"), L"");
  EXPECT_FALSE(IsWindowEnabled(list));
  SavePicture(window, "page-107-replace-all");
  SendMessageW(GetDlgItem(page, IDC_REPLACE_ALL), BM_CLICK, 0, 0);
  EXPECT_TRUE(IsWindowEnabled(list));
  EXPECT_EQ(ItemText(list, 0, 1), L"FontA11") << "unchecking shows what is stored";
  DestroyWindow(window);
}

std::string FileText(const std::wstring& path) {
  std::string text;
  if (FILE* in = _wfopen(path.c_str(), L"rb")) {
    char buffer[256];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) text.append(buffer, n);
    std::fclose(in);
  }
  return text;
}

// Export and import as a user runs them, through the real file dialogs and message boxes. Wine saves
// a key as text and restores nothing, so what is checked is the way through the calls: the earlier
// file replaced through a temporary one, the messages, and the sheet closed after an import.
TEST_F(WindowsPluginModule, ImportExportPageRunsThroughTheRealDialogs) {
  HWND window = OpenSheet(*host, module);
  ASSERT_NE(window, nullptr);
  HWND page = PropSheet_GetCurrentPageHwnd(window);
  wchar_t temp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring folder = temp + (L"kvx-transfer-" + std::to_wstring(GetCurrentProcessId()));
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring file = folder + L"\\backup.reg";
  if (FILE* out = _wfopen(file.c_str(), L"wb")) {
    std::fputs("earlier backup", out);
    std::fclose(out);
  }
  struct Click {
    int button;
    std::vector<WindowAnswerer::Step> steps;
    std::vector<std::wstring> seen;
  };
  const Click clicks[] = {
      {IDC_EXPORT_PROPERTIES,
       {{L"Export Tolvaren Printer Properties", file, "export-file-dialog"}, {L"Tolvaren Export", L"", "export-done"}},
       {L"Export Tolvaren Printer Properties: " + file, L"Tolvaren Export: Success creating backup file."}},
      {IDC_IMPORT_PROPERTIES,
       {{L"Import Tolvaren Printer Properties", file}, {L"Tolvaren Import", L""}},
       {L"Import Tolvaren Printer Properties: " + file, L"Tolvaren Import: Success restoring backup. "}},
  };
  for (const Click& click : clicks) {
    WindowAnswerer user(GetCurrentThreadId(), kSheetCaption, click.steps, 10000, SavePicture);
    SendMessageW(GetDlgItem(page, click.button), BM_CLICK, 0, 0);
    EXPECT_EQ(user.Finish(), click.seen);
    if (click.button != IDC_EXPORT_PROPERTIES) continue;
    EXPECT_NE(FileText(file), "earlier backup") << "the export replaced the earlier file";
    EXPECT_EQ(GetFileAttributesW((file + L"~0").c_str()), INVALID_FILE_ATTRIBUTES) << "a temporary file was left";
  }
  EXPECT_FALSE(IsWindow(window)) << "a successful import closes the sheet";
  if (IsWindow(window)) DestroyWindow(window);
  DeleteFileW(file.c_str());
  RemoveDirectoryW(folder.c_str());
}

// A string of a string-table block in one language: the block holds ids 16(n-1) to 16n-1, each as
// a length and that many UTF-16 units.
std::wstring StringIn(HMODULE module, UINT id, LANGID language) {
  HRSRC found = FindResourceExW(module, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(id / 16 + 1), language);  // RT_STRING
  if (found == nullptr) return L"(no block)";
  const auto* at = static_cast<const wchar_t*>(LockResource(LoadResource(module, found)));
  for (UINT i = 0; i < id % 16; ++i) at += 1 + static_cast<std::uint16_t>(*at);
  return std::wstring(at + 1, static_cast<std::uint16_t>(*at));
}

TEST_F(WindowsPluginModule, StringTablesAndPictureAreTheModules) {
  const LANGID english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  const LANGID portuguese = MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN);
  const struct {
    LANGID language;
    UINT id;
    const wchar_t* text;
  } strings[] = {
      {english, IDS_LINE_FEEDS_1, L"EndDoc Line Feeds"},   {portuguese, IDS_LINE_FEEDS_3, L"EndDoc Line Feeds"},
      {english, IDS_MINI_PRINTER, L"Mini Printer"},         {portuguese, IDS_MINI_PRINTER, L"Mini-Impressora"},
      {english, IDS_KIOSK_PRINTER, L"Kiosk Printer"},       {portuguese, IDS_KIOSK_PRINTER, L"Bloco Impressor"},
      {english, IDS_DEVICE_TYPE, L"Device type"},           {portuguese, IDS_DEVICE_TYPE, L"Tipo do dispositivo"},
  };
  for (const auto& row : strings)
    EXPECT_EQ(StringIn(module, row.id, row.language), row.text) << "language " << row.language << ", id " << row.id;

  HANDLE picture = LoadImageW(module, MAKEINTRESOURCEW(IDB_PANEL), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  ASSERT_NE(picture, nullptr);
  DIBSECTION dib{};
  ASSERT_EQ(GetObjectW(picture, sizeof dib, &dib), static_cast<int>(sizeof dib));
  EXPECT_EQ(dib.dsBmih.biWidth, 173);
  EXPECT_EQ(dib.dsBmih.biHeight, 111);
  EXPECT_EQ(dib.dsBmih.biBitCount, 24);
  DeleteObject(picture);
}

TEST(WindowsPluginFile, VersionResourceSays4110) {
  const std::wstring path = PluginPath();
  DWORD ignored = 0;
  std::vector<BYTE> data(GetFileVersionInfoSizeW(path.c_str(), &ignored));
  ASSERT_FALSE(data.empty()) << "error " << GetLastError();
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT size = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00040001u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00040001u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00010000u);
  const struct {
    const wchar_t* name;
    const wchar_t* value;
  } strings[] = {{L"FileVersion", L"4.1.1.0"}, {L"ProductVersion", L"4.1.1.0"}, {L"CompanyName", L"Korvex"}};
  for (const auto& row : strings) {
    wchar_t* value = nullptr;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + row.name;
    ASSERT_TRUE(VerQueryValueW(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &size)) << row.name;
    EXPECT_STREQ(value, row.value);
  }
}

TEST(WindowsPluginFile, ComInterfaceIdsAreTheSystems) { EXPECT_TRUE(PluginAbiComIdsMatch()); }

}  // namespace

std::unique_ptr<pluginhost::PluginHost> pluginhost::OpenPluginHost() {
  auto host = std::make_unique<WindowsPluginHost>();
  if (!host->Open()) return nullptr;
  return host;
}

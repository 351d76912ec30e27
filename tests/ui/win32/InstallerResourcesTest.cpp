// The installer's compiled resources in both languages: the same controls in each, translated
// strings that survived the code page, and a layout that works with the advanced controls shown or
// hidden. That every template's texts fit their controls is checked with the plug-in's, from the
// built files (tests/wine/DialogTexts.cpp).
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "GuiTestSupport.h"
#include "LiveTemplate.h"
#include "resource.h"

namespace {

constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr LANGID kPortuguese = MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN);
constexpr LANGID kLanguages[] = {kEnglish, kPortuguese};

const std::map<int, std::vector<int>> kDialogControls = {
    {IDD_PRINTER_MODEL,
     {IDC_PRODUCT_BITMAP, IDC_MODEL_GROUP, IDC_MODEL_LIST, IDC_DRIVER_GROUP, IDC_DRIVER_REGULAR, IDC_DRIVER_REDUCED,
      IDC_WIDTH_GROUP, IDC_WIDTH_80, IDC_WIDTH_48, IDC_CONTINUE, IDCANCEL, IDC_ADVANCED}},
    {IDD_ABOUTBOX, {IDC_ABOUT_ICON, IDC_ABOUT_NAME, IDC_ABOUT_VERSION, IDOK}},
    {IDD_PICK_OS_TYPE, {IDC_OS_TEXT, IDC_OS_COMBO, IDOK}},
    {IDD_INTERFACE_CONFIG,
     {IDC_IF_SERIAL, IDC_IF_PARALLEL, IDC_IF_USB, IDC_IF_ETHERNET, IDC_PAGE_FRAME, IDC_BACK, IDC_INSTALL_PRINTER,
      IDCANCEL}},
    {IDD_SERIAL_PAGE, {IDC_PORT_COMBO, IDC_BAUD_COMBO, IDC_FLOW_COMBO, IDC_DETECT}},
    {IDD_ETHERNET_PAGE, {IDC_IP_ADDRESS, IDC_ETHERNET_SETUP}},
    {IDD_PARALLEL_PAGE, {IDC_PORT_COMBO}},
    {IDD_USB_VCOM_PAGE, {IDC_VCOM_COMBO, IDC_ADD_VCOM_PORT}},
    {IDD_INSTALL_PROGRESS,
     {IDC_STEP1_CHECK, IDC_STEP2_CHECK, IDC_STEP3_CHECK, IDC_STEP4_CHECK, IDC_STEP5_CHECK, IDC_STEP6_CHECK}},
};
constexpr int kPageIds[] = {IDD_SERIAL_PAGE, IDD_ETHERNET_PAGE, IDD_PARALLEL_PAGE, IDD_USB_VCOM_PAGE};
constexpr int kStringIds[] = {IDS_ABOUT_TITLE, IDS_OS_TITLE, IDS_OS_TEXT, IDS_ADVANCED};

const void* Resource(LPCSTR type, int id, LANGID lang) {
  HRSRC found = FindResourceExA(nullptr, type, MAKEINTRESOURCEA(id), lang);
  return found ? LockResource(LoadResource(nullptr, found)) : nullptr;
}

std::wstring StringEntry(int id, LANGID lang) {
  const auto* entry = static_cast<const WCHAR*>(Resource(RT_STRING, id / 16 + 1, lang));
  if (!entry) return L"<no table>";
  for (int i = 0; i < id % 16; ++i) entry += 1 + *entry;
  return std::wstring(entry + 1, *entry);
}

std::wstring WideText(HWND window) {
  WCHAR text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

// This program's template of one language.
class LiveTemplate : public kvxtest::LiveTemplate {
public:
  LiveTemplate(int id, LANGID lang) : kvxtest::LiveTemplate(nullptr, id, lang) {}
};

std::string Name(int id, LANGID lang) {
  return "dialog " + std::to_string(id) + (lang == kEnglish ? " (en)" : " (pt)");
}

TEST(InstallerResources, EveryDialogHasTheSameControlsInBothLanguages) {
  for (const auto& [id, expected] : kDialogControls) {
    std::vector<std::pair<int, std::string>> layouts[2];
    for (int l = 0; l < 2; ++l) {
      LiveTemplate dialog(id, kLanguages[l]);
      ASSERT_NE(dialog.hwnd(), nullptr) << Name(id, kLanguages[l]);
      for (int control : expected) EXPECT_NE(dialog.item(control), nullptr) << Name(id, kLanguages[l]) << " control " << control;
      for (HWND child : dialog.children()) {
        RECT r = dialog.rectOf(child);
        layouts[l].emplace_back(GetDlgCtrlID(child), kvxtest::ClassOf(child) + " " + std::to_string(r.left) + "," +
                                                         std::to_string(r.top) + " " + std::to_string(r.right) + "," +
                                                         std::to_string(r.bottom));
      }
    }
    EXPECT_EQ(layouts[0], layouts[1]) << "dialog " << id << ": the languages differ in controls or layout";
  }
}

TEST(InstallerResources, OsQuestionFitsItsTextAndAllSevenChoicesShowAtOnce) {
  for (LANGID lang : kLanguages) {
    LiveTemplate dialog(IDD_PICK_OS_TYPE, lang);
    ASSERT_NE(dialog.hwnd(), nullptr);
    HWND text = dialog.item(IDC_OS_TEXT);
    HDC dc = GetDC(text);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(text, WM_GETFONT, 0, 0)));
    RECT bounds{};
    GetClientRect(text, &bounds);
    RECT need = bounds;
    const std::wstring question = StringEntry(IDS_OS_TEXT, lang);
    DrawTextW(dc, question.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    ReleaseDC(text, dc);
    EXPECT_LE(need.bottom, bounds.bottom) << Name(IDD_PICK_OS_TYPE, lang);

    HWND combo = dialog.item(IDC_OS_COMBO);
    EXPECT_EQ(kvxtest::StyleOf(combo) & 3, CBS_DROPDOWNLIST);
    RECT dropped{};
    SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    const LRESULT itemHeight = SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0);
    const LRESULT fieldHeight = SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    EXPECT_GE(dropped.bottom - dropped.top, fieldHeight + 7 * itemHeight) << Name(IDD_PICK_OS_TYPE, lang);
  }
}

bool Overlap(const RECT& a, const RECT& b) {
  RECT common;
  return IntersectRect(&common, &a, &b) != 0;
}

TEST(InstallerResources, ModelDialogLayoutWorksWithAdvancedControlsShownOrHidden) {
  const int advanced[] = {IDC_DRIVER_GROUP, IDC_DRIVER_REGULAR, IDC_DRIVER_REDUCED,
                          IDC_WIDTH_GROUP,  IDC_WIDTH_80,       IDC_WIDTH_48};
  const int always[] = {IDC_PRODUCT_BITMAP, IDC_MODEL_GROUP, IDC_MODEL_LIST, IDC_CONTINUE, IDCANCEL, IDC_ADVANCED};
  // The program gives the list a 32-pixel font; four rows and more must show.
  HFONT big = CreateFontW(32, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0x10, nullptr);
  for (LANGID lang : kLanguages) {
    LiveTemplate dialog(IDD_PRINTER_MODEL, lang);
    ASSERT_NE(dialog.hwnd(), nullptr);
    RECT client{};
    GetClientRect(dialog.hwnd(), &client);
    for (HWND child : dialog.children()) {
      RECT r = dialog.rectOf(child), inside{};
      IntersectRect(&inside, &r, &client);
      EXPECT_TRUE(EqualRect(&inside, &r)) << Name(IDD_PRINTER_MODEL, lang) << " control " << GetDlgCtrlID(child)
                                          << " lies outside the window";
    }
    for (int a : advanced) {
      for (int b : always) {
        EXPECT_FALSE(Overlap(dialog.rectOf(dialog.item(a)), dialog.rectOf(dialog.item(b))))
            << Name(IDD_PRINTER_MODEL, lang) << ": " << a << " covers " << b;
      }
    }

    EXPECT_NE(SendMessageW(dialog.item(IDC_PRODUCT_BITMAP), STM_GETIMAGE, IMAGE_BITMAP, 0), 0)
        << "the picture control shows no bitmap";
    HWND list = dialog.item(IDC_MODEL_LIST);
    SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(big), FALSE);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 200;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    for (int i = 0; i < 6; ++i) {
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = i;
      item.pszText = const_cast<LPWSTR>(L"    RQ-7200 TH   ");
      SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    EXPECT_GE(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0), 4) << Name(IDD_PRINTER_MODEL, lang);
  }
  DeleteObject(big);
}

bool IsGroupBox(HWND control) {
  return kvxtest::ClassOf(control) == "Button" && (kvxtest::StyleOf(control) & BS_TYPEMASK) == BS_GROUPBOX;
}

// Each page fits the interface dialog's frame, where the program puts it, and no two controls
// of a page or of the dialog cover each other (a group box holds its radio buttons).
TEST(InstallerResources, PagesFitTheInterfaceDialogsFrameWithoutOverlaps) {
  for (LANGID lang : kLanguages) {
    LiveTemplate frameDialog(IDD_INTERFACE_CONFIG, lang);
    ASSERT_NE(frameDialog.hwnd(), nullptr);
    const RECT frame = frameDialog.rectOf(frameDialog.item(IDC_PAGE_FRAME));
    std::vector<int> all(std::begin(kPageIds), std::end(kPageIds));
    all.push_back(IDD_INTERFACE_CONFIG);
    for (int id : all) {
      LiveTemplate dialog(id, lang);
      ASSERT_NE(dialog.hwnd(), nullptr) << Name(id, lang);
      RECT client{};
      GetClientRect(dialog.hwnd(), &client);
      if (id != IDD_INTERFACE_CONFIG) {
        EXPECT_TRUE(kvxtest::HasStyle(dialog.hwnd(), WS_CHILD)) << Name(id, lang);
        EXPECT_FALSE(kvxtest::HasStyle(dialog.hwnd(), WS_CAPTION)) << Name(id, lang);
        EXPECT_NE(GetWindowLongW(dialog.hwnd(), GWL_EXSTYLE) & WS_EX_CONTROLPARENT, 0) << Name(id, lang) << ": Tab";
        EXPECT_LE(client.right, frame.right - frame.left) << Name(id, lang);
        EXPECT_LE(client.bottom, frame.bottom - frame.top) << Name(id, lang);
      }
      const std::vector<HWND> children = dialog.children();
      for (HWND child : children) {
        RECT r = dialog.rectOf(child), inside{};
        IntersectRect(&inside, &r, &client);
        EXPECT_TRUE(EqualRect(&inside, &r)) << Name(id, lang) << " control " << GetDlgCtrlID(child) << " lies outside";
        for (HWND other : children) {
          if (other <= child || IsGroupBox(child) || IsGroupBox(other)) continue;
          EXPECT_FALSE(Overlap(r, dialog.rectOf(other)))
              << Name(id, lang) << ": " << GetDlgCtrlID(child) << " covers " << GetDlgCtrlID(other);
        }
      }
    }
  }
}

TEST(InstallerResources, PortugueseTextsKeepTheirAccents) {
  EXPECT_EQ(StringEntry(IDS_ADVANCED, kPortuguese), L"Avan\u00e7ado");
  EXPECT_EQ(StringEntry(IDS_ADVANCED, kEnglish), L"Advanced");
  EXPECT_EQ(StringEntry(IDS_OS_TITLE, kPortuguese), L"Sistema Operacional");
  for (int id : kStringIds) {
    const std::wstring english = StringEntry(id, kEnglish), portuguese = StringEntry(id, kPortuguese);
    EXPECT_NE(english, portuguese) << "string " << id << " is not translated";
    EXPECT_EQ(portuguese.find(L'\u00c3'), std::wstring::npos) << "string " << id << " was read in the wrong code page";
  }
  LiveTemplate model(IDD_PRINTER_MODEL, kPortuguese);
  ASSERT_NE(model.hwnd(), nullptr);
  EXPECT_EQ(WideText(model.hwnd()), L"Instala\u00e7\u00e3o do Driver Korvex");
  for (const auto& [id, controls] : kDialogControls) {
    LiveTemplate dialog(id, kPortuguese);
    for (HWND child : dialog.children()) {
      EXPECT_EQ(WideText(child).find(L'\u00c3'), std::wstring::npos) << Name(id, kPortuguese);
    }
  }
}

TEST(InstallerResources, HelpMenuIsRightAlignedInBothLanguages) {
  const wchar_t* names[][2] = {{L"Help", L"About"}, {L"Ajuda", L"Sobre"}};
  for (int l = 0; l < 2; ++l) {
    HMENU menu = LoadMenuIndirectW(Resource(RT_MENU, IDR_MAIN_MENU, kLanguages[l]));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 1);
    WCHAR text[64] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 64;
    GetMenuItemInfoW(menu, 0, TRUE, &info);
    EXPECT_TRUE(info.fType & MFT_RIGHTJUSTIFY);
    EXPECT_STREQ(text, names[l][0]);
    ASSERT_NE(info.hSubMenu, nullptr);
    EXPECT_EQ(GetMenuItemID(info.hSubMenu, 0), static_cast<UINT>(ID_APP_ABOUT));
    GetMenuStringW(info.hSubMenu, 0, text, 64, MF_BYPOSITION);
    EXPECT_STREQ(text, names[l][1]);
    DestroyMenu(menu);
  }
}

TEST(InstallerResources, ManifestAsksForCommonControlsButNoLaterSystems) {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(found, nullptr);
  const std::string manifest(static_cast<const char*>(LockResource(LoadResource(nullptr, found))),
                             SizeofResource(nullptr, found));
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(manifest.find("dpiAware"), std::string::npos);
  // A supportedOS list would make GetVersionExA report the real version, not 6.2.
  EXPECT_EQ(manifest.find("<supportedOS"), std::string::npos);
}

}  // namespace

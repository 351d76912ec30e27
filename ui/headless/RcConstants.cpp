#include "ui/headless/RcConstants.h"

#include <algorithm>
#include <iterator>

#include "platform/CaseFolding.h"

namespace ui::headless::rc {
namespace {

struct Constant {
  std::string_view name;
  std::int64_t value;
};

// Sorted by name (checked by the tests): taken from winuser.h, commctrl.h and winnt.h of mingw-w64.
constexpr Constant kConstants[] = {
    {"BS_3STATE", 0x5}, {"BS_AUTO3STATE", 0x6}, {"BS_AUTOCHECKBOX", 0x3}, {"BS_AUTORADIOBUTTON", 0x9},
    {"BS_BITMAP", 0x80}, {"BS_BOTTOM", 0x800}, {"BS_CENTER", 0x300}, {"BS_CHECKBOX", 0x2}, {"BS_DEFPUSHBUTTON", 0x1},
    {"BS_FLAT", 0x8000}, {"BS_GROUPBOX", 0x7}, {"BS_ICON", 0x40}, {"BS_LEFT", 0x100}, {"BS_LEFTTEXT", 0x20},
    {"BS_MULTILINE", 0x2000}, {"BS_NOTIFY", 0x4000}, {"BS_OWNERDRAW", 0xB}, {"BS_PUSHBOX", 0xA},
    {"BS_PUSHBUTTON", 0x0}, {"BS_PUSHLIKE", 0x1000}, {"BS_RADIOBUTTON", 0x4}, {"BS_RIGHT", 0x200},
    {"BS_RIGHTBUTTON", 0x20}, {"BS_TEXT", 0x0}, {"BS_TOP", 0x400}, {"BS_TYPEMASK", 0xF}, {"BS_USERBUTTON", 0x8},
    {"BS_VCENTER", 0xC00}, {"CBS_AUTOHSCROLL", 0x40}, {"CBS_DISABLENOSCROLL", 0x800}, {"CBS_DROPDOWN", 0x2},
    {"CBS_DROPDOWNLIST", 0x3}, {"CBS_HASSTRINGS", 0x200}, {"CBS_LOWERCASE", 0x4000}, {"CBS_NOINTEGRALHEIGHT", 0x400},
    {"CBS_OEMCONVERT", 0x80}, {"CBS_OWNERDRAWFIXED", 0x10}, {"CBS_OWNERDRAWVARIABLE", 0x20}, {"CBS_SIMPLE", 0x1},
    {"CBS_SORT", 0x100}, {"CBS_UPPERCASE", 0x2000}, {"CCS_ADJUSTABLE", 0x20}, {"CCS_BOTTOM", 0x3},
    {"CCS_LEFT", 0x81}, {"CCS_NODIVIDER", 0x40}, {"CCS_NOMOVEX", 0x82}, {"CCS_NOMOVEY", 0x2},
    {"CCS_NOPARENTALIGN", 0x8}, {"CCS_NORESIZE", 0x4}, {"CCS_RIGHT", 0x83}, {"CCS_TOP", 0x1}, {"CCS_VERT", 0x80},
    {"CREATEPROCESS_MANIFEST_RESOURCE_ID", 0x1}, {"DS_3DLOOK", 0x4}, {"DS_ABSALIGN", 0x1}, {"DS_CENTER", 0x800},
    {"DS_CENTERMOUSE", 0x1000}, {"DS_CONTEXTHELP", 0x2000}, {"DS_CONTROL", 0x400}, {"DS_FIXEDSYS", 0x8},
    {"DS_LOCALEDIT", 0x20}, {"DS_MODALFRAME", 0x80}, {"DS_NOFAILCREATE", 0x10}, {"DS_NOIDLEMSG", 0x100},
    {"DS_SETFONT", 0x40}, {"DS_SETFOREGROUND", 0x200}, {"DS_SHELLFONT", 0x48}, {"DS_SYSMODAL", 0x2},
    {"DS_USEPIXELS", 0x8000}, {"ES_AUTOHSCROLL", 0x80}, {"ES_AUTOVSCROLL", 0x40}, {"ES_CENTER", 0x1},
    {"ES_LEFT", 0x0}, {"ES_LOWERCASE", 0x10}, {"ES_MULTILINE", 0x4}, {"ES_NOHIDESEL", 0x100}, {"ES_NUMBER", 0x2000},
    {"ES_OEMCONVERT", 0x400}, {"ES_PASSWORD", 0x20}, {"ES_READONLY", 0x800}, {"ES_RIGHT", 0x2},
    {"ES_UPPERCASE", 0x8}, {"ES_WANTRETURN", 0x1000}, {"IDABORT", 0x3}, {"IDCANCEL", 0x2}, {"IDCLOSE", 0x8},
    {"IDCONTINUE", 0xB}, {"IDC_STATIC", -1}, {"IDHELP", 0x9}, {"IDIGNORE", 0x5}, {"IDNO", 0x7}, {"IDOK", 0x1},
    {"IDRETRY", 0x4}, {"IDTRYAGAIN", 0xA}, {"IDYES", 0x6}, {"ISOLATIONAWARE_MANIFEST_RESOURCE_ID", 0x2},
    {"LANG_ENGLISH", 0x9}, {"LANG_NEUTRAL", 0x0}, {"LANG_PORTUGUESE", 0x16}, {"LBS_COMBOBOX", 0x8000},
    {"LBS_DISABLENOSCROLL", 0x1000}, {"LBS_EXTENDEDSEL", 0x800}, {"LBS_HASSTRINGS", 0x40},
    {"LBS_MULTICOLUMN", 0x200}, {"LBS_MULTIPLESEL", 0x8}, {"LBS_NODATA", 0x2000}, {"LBS_NOINTEGRALHEIGHT", 0x100},
    {"LBS_NOREDRAW", 0x4}, {"LBS_NOSEL", 0x4000}, {"LBS_NOTIFY", 0x1}, {"LBS_OWNERDRAWFIXED", 0x10},
    {"LBS_OWNERDRAWVARIABLE", 0x20}, {"LBS_SORT", 0x2}, {"LBS_STANDARD", 0xA00003}, {"LBS_USETABSTOPS", 0x80},
    {"LBS_WANTKEYBOARDINPUT", 0x400}, {"LVS_ALIGNLEFT", 0x800}, {"LVS_ALIGNMASK", 0xC00}, {"LVS_ALIGNTOP", 0x0},
    {"LVS_AUTOARRANGE", 0x100}, {"LVS_EDITLABELS", 0x200}, {"LVS_EX_AUTOAUTOARRANGE", 0x1000000},
    {"LVS_EX_AUTOCHECKSELECT", 0x8000000}, {"LVS_EX_AUTOSIZECOLUMNS", 0x10000000}, {"LVS_EX_BORDERSELECT", 0x8000},
    {"LVS_EX_CHECKBOXES", 0x4}, {"LVS_EX_COLUMNOVERFLOW", 0x80000000}, {"LVS_EX_COLUMNSNAPPOINTS", 0x40000000},
    {"LVS_EX_DOUBLEBUFFER", 0x10000}, {"LVS_EX_FLATSB", 0x100}, {"LVS_EX_FULLROWSELECT", 0x20},
    {"LVS_EX_GRIDLINES", 0x1}, {"LVS_EX_HEADERDRAGDROP", 0x10}, {"LVS_EX_HEADERINALLVIEWS", 0x2000000},
    {"LVS_EX_HIDELABELS", 0x20000}, {"LVS_EX_INFOTIP", 0x400}, {"LVS_EX_JUSTIFYCOLUMNS", 0x200000},
    {"LVS_EX_LABELTIP", 0x4000}, {"LVS_EX_MULTIWORKAREAS", 0x2000}, {"LVS_EX_ONECLICKACTIVATE", 0x40},
    {"LVS_EX_REGIONAL", 0x200}, {"LVS_EX_SIMPLESELECT", 0x100000}, {"LVS_EX_SINGLEROW", 0x40000},
    {"LVS_EX_SNAPTOGRID", 0x80000}, {"LVS_EX_SUBITEMIMAGES", 0x2}, {"LVS_EX_TRACKSELECT", 0x8},
    {"LVS_EX_TRANSPARENTBKGND", 0x400000}, {"LVS_EX_TRANSPARENTSHADOWTEXT", 0x800000},
    {"LVS_EX_TWOCLICKACTIVATE", 0x80}, {"LVS_EX_UNDERLINECOLD", 0x1000}, {"LVS_EX_UNDERLINEHOT", 0x800},
    {"LVS_ICON", 0x0}, {"LVS_LIST", 0x3}, {"LVS_NOCOLUMNHEADER", 0x4000}, {"LVS_NOLABELWRAP", 0x80},
    {"LVS_NOSCROLL", 0x2000}, {"LVS_NOSORTHEADER", 0x8000}, {"LVS_OWNERDATA", 0x1000}, {"LVS_OWNERDRAWFIXED", 0x400},
    {"LVS_REPORT", 0x1}, {"LVS_SHAREIMAGELISTS", 0x40}, {"LVS_SHOWSELALWAYS", 0x8}, {"LVS_SINGLESEL", 0x4},
    {"LVS_SMALLICON", 0x2}, {"LVS_SORTASCENDING", 0x10}, {"LVS_SORTDESCENDING", 0x20}, {"LVS_TYPEMASK", 0x3},
    {"LVS_TYPESTYLEMASK", 0xFC00}, {"MFS_CHECKED", 0x8}, {"MFS_DEFAULT", 0x1000}, {"MFS_DISABLED", 0x3},
    {"MFS_ENABLED", 0x0}, {"MFS_GRAYED", 0x3}, {"MFS_HILITE", 0x80}, {"MFS_UNCHECKED", 0x0}, {"MFS_UNHILITE", 0x0},
    {"MFT_BITMAP", 0x4}, {"MFT_MENUBARBREAK", 0x20}, {"MFT_MENUBREAK", 0x40}, {"MFT_OWNERDRAW", 0x100},
    {"MFT_RADIOCHECK", 0x200}, {"MFT_RIGHTJUSTIFY", 0x4000}, {"MFT_RIGHTORDER", 0x2000}, {"MFT_SEPARATOR", 0x800},
    {"MFT_STRING", 0x0}, {"MF_APPEND", 0x100}, {"MF_BITMAP", 0x4}, {"MF_BYCOMMAND", 0x0}, {"MF_BYPOSITION", 0x400},
    {"MF_CHANGE", 0x80}, {"MF_CHECKED", 0x8}, {"MF_DEFAULT", 0x1000}, {"MF_DELETE", 0x200}, {"MF_DISABLED", 0x2},
    {"MF_ENABLED", 0x0}, {"MF_END", 0x80}, {"MF_GRAYED", 0x1}, {"MF_HELP", 0x4000}, {"MF_HILITE", 0x80},
    {"MF_INSERT", 0x0}, {"MF_MENUBARBREAK", 0x20}, {"MF_MENUBREAK", 0x40}, {"MF_MOUSESELECT", 0x8000},
    {"MF_OWNERDRAW", 0x100}, {"MF_POPUP", 0x10}, {"MF_REMOVE", 0x1000}, {"MF_RIGHTJUSTIFY", 0x4000},
    {"MF_SEPARATOR", 0x800}, {"MF_STRING", 0x0}, {"MF_SYSMENU", 0x2000}, {"MF_UNCHECKED", 0x0}, {"MF_UNHILITE", 0x0},
    {"MF_USECHECKBITMAPS", 0x200}, {"PBS_MARQUEE", 0x8}, {"PBS_SMOOTH", 0x1}, {"PBS_SMOOTHREVERSE", 0x10},
    {"PBS_VERTICAL", 0x4}, {"RT_MANIFEST", 0x18}, {"SBS_BOTTOMALIGN", 0x4}, {"SBS_HORZ", 0x0},
    {"SBS_LEFTALIGN", 0x2}, {"SBS_RIGHTALIGN", 0x4}, {"SBS_SIZEBOX", 0x8}, {"SBS_SIZEBOXBOTTOMRIGHTALIGN", 0x4},
    {"SBS_SIZEBOXTOPLEFTALIGN", 0x2}, {"SBS_SIZEGRIP", 0x10}, {"SBS_TOPALIGN", 0x2}, {"SBS_VERT", 0x1},
    {"SS_BITMAP", 0xE}, {"SS_BLACKFRAME", 0x7}, {"SS_BLACKRECT", 0x4}, {"SS_CENTER", 0x1}, {"SS_CENTERIMAGE", 0x200},
    {"SS_EDITCONTROL", 0x2000}, {"SS_ELLIPSISMASK", 0xC000}, {"SS_ENDELLIPSIS", 0x4000}, {"SS_ENHMETAFILE", 0xF},
    {"SS_ETCHEDFRAME", 0x12}, {"SS_ETCHEDHORZ", 0x10}, {"SS_ETCHEDVERT", 0x11}, {"SS_GRAYFRAME", 0x8},
    {"SS_GRAYRECT", 0x5}, {"SS_ICON", 0x3}, {"SS_LEFT", 0x0}, {"SS_LEFTNOWORDWRAP", 0xC}, {"SS_NOPREFIX", 0x80},
    {"SS_NOTIFY", 0x100}, {"SS_OWNERDRAW", 0xD}, {"SS_PATHELLIPSIS", 0x8000}, {"SS_REALSIZECONTROL", 0x40},
    {"SS_REALSIZEIMAGE", 0x800}, {"SS_RIGHT", 0x2}, {"SS_RIGHTJUST", 0x400}, {"SS_SIMPLE", 0xB},
    {"SS_SUNKEN", 0x1000}, {"SS_TYPEMASK", 0x1F}, {"SS_USERITEM", 0xA}, {"SS_WHITEFRAME", 0x9},
    {"SS_WHITERECT", 0x6}, {"SS_WORDELLIPSIS", 0xC000}, {"SUBLANG_DEFAULT", 0x1}, {"SUBLANG_ENGLISH_UK", 0x2},
    {"SUBLANG_ENGLISH_US", 0x1}, {"SUBLANG_NEUTRAL", 0x0}, {"SUBLANG_PORTUGUESE", 0x2},
    {"SUBLANG_PORTUGUESE_BRAZILIAN", 0x1}, {"SUBLANG_SYS_DEFAULT", 0x2}, {"TBS_AUTOTICKS", 0x1}, {"TBS_BOTH", 0x8},
    {"TBS_BOTTOM", 0x0}, {"TBS_DOWNISLEFT", 0x400}, {"TBS_ENABLESELRANGE", 0x20}, {"TBS_FIXEDLENGTH", 0x40},
    {"TBS_HORZ", 0x0}, {"TBS_LEFT", 0x4}, {"TBS_NOTHUMB", 0x80}, {"TBS_NOTICKS", 0x10},
    {"TBS_NOTIFYBEFOREMOVE", 0x800}, {"TBS_REVERSED", 0x200}, {"TBS_RIGHT", 0x0}, {"TBS_TOOLTIPS", 0x100},
    {"TBS_TOP", 0x4}, {"TBS_TRANSPARENTBKGND", 0x1000}, {"TBS_VERT", 0x2}, {"TCS_BOTTOM", 0x2},
    {"TCS_BUTTONS", 0x100}, {"TCS_FIXEDWIDTH", 0x400}, {"TCS_FLATBUTTONS", 0x8}, {"TCS_FOCUSNEVER", 0x8000},
    {"TCS_FOCUSONBUTTONDOWN", 0x1000}, {"TCS_FORCEICONLEFT", 0x10}, {"TCS_FORCELABELLEFT", 0x20},
    {"TCS_HOTTRACK", 0x40}, {"TCS_MULTILINE", 0x200}, {"TCS_MULTISELECT", 0x4}, {"TCS_OWNERDRAWFIXED", 0x2000},
    {"TCS_RAGGEDRIGHT", 0x800}, {"TCS_RIGHT", 0x2}, {"TCS_RIGHTJUSTIFY", 0x0}, {"TCS_SCROLLOPPOSITE", 0x1},
    {"TCS_SINGLELINE", 0x0}, {"TCS_TABS", 0x0}, {"TCS_TOOLTIPS", 0x4000}, {"TCS_VERTICAL", 0x80},
    {"UDS_ALIGNLEFT", 0x8}, {"UDS_ALIGNRIGHT", 0x4}, {"UDS_ARROWKEYS", 0x20}, {"UDS_AUTOBUDDY", 0x10},
    {"UDS_HORZ", 0x40}, {"UDS_HOTTRACK", 0x100}, {"UDS_NOTHOUSANDS", 0x80}, {"UDS_SETBUDDYINT", 0x2},
    {"UDS_WRAP", 0x1}, {"VS_VERSION_INFO", 0x1}, {"WS_BORDER", 0x800000}, {"WS_CAPTION", 0xC00000},
    {"WS_CHILD", 0x40000000}, {"WS_CHILDWINDOW", 0x40000000}, {"WS_CLIPCHILDREN", 0x2000000},
    {"WS_CLIPSIBLINGS", 0x4000000}, {"WS_DISABLED", 0x8000000}, {"WS_DLGFRAME", 0x400000},
    {"WS_EX_ACCEPTFILES", 0x10}, {"WS_EX_APPWINDOW", 0x40000}, {"WS_EX_CLIENTEDGE", 0x200},
    {"WS_EX_COMPOSITED", 0x2000000}, {"WS_EX_CONTEXTHELP", 0x400}, {"WS_EX_CONTROLPARENT", 0x10000},
    {"WS_EX_DLGMODALFRAME", 0x1}, {"WS_EX_LAYERED", 0x80000}, {"WS_EX_LAYOUTRTL", 0x400000}, {"WS_EX_LEFT", 0x0},
    {"WS_EX_LEFTSCROLLBAR", 0x4000}, {"WS_EX_LTRREADING", 0x0}, {"WS_EX_MDICHILD", 0x40},
    {"WS_EX_NOACTIVATE", 0x8000000}, {"WS_EX_NOINHERITLAYOUT", 0x100000}, {"WS_EX_NOPARENTNOTIFY", 0x4},
    {"WS_EX_NOREDIRECTIONBITMAP", 0x200000}, {"WS_EX_OVERLAPPEDWINDOW", 0x300}, {"WS_EX_PALETTEWINDOW", 0x188},
    {"WS_EX_RIGHT", 0x1000}, {"WS_EX_RIGHTSCROLLBAR", 0x0}, {"WS_EX_RTLREADING", 0x2000},
    {"WS_EX_STATICEDGE", 0x20000}, {"WS_EX_TOOLWINDOW", 0x80}, {"WS_EX_TOPMOST", 0x8}, {"WS_EX_TRANSPARENT", 0x20},
    {"WS_EX_WINDOWEDGE", 0x100}, {"WS_GROUP", 0x20000}, {"WS_HSCROLL", 0x100000}, {"WS_ICONIC", 0x20000000},
    {"WS_MAXIMIZE", 0x1000000}, {"WS_MAXIMIZEBOX", 0x10000}, {"WS_MINIMIZE", 0x20000000},
    {"WS_MINIMIZEBOX", 0x20000}, {"WS_OVERLAPPED", 0x0}, {"WS_OVERLAPPEDWINDOW", 0xCF0000}, {"WS_POPUP", 0x80000000},
    {"WS_POPUPWINDOW", 0x80880000}, {"WS_SIZEBOX", 0x40000}, {"WS_SYSMENU", 0x80000}, {"WS_TABSTOP", 0x10000},
    {"WS_THICKFRAME", 0x40000}, {"WS_TILED", 0x0}, {"WS_TILEDWINDOW", 0xCF0000}, {"WS_VISIBLE", 0x10000000},
    {"WS_VSCROLL", 0x200000},
};

struct ClassMacro {
  std::string_view name;
  std::string_view className;
};

constexpr ClassMacro kClassMacros[] = {
    {"WC_BUTTON", "BUTTON"},         {"WC_COMBOBOX", "COMBOBOX"},          {"WC_COMBOBOXEX", "ComboBoxEx32"},
    {"WC_EDIT", "EDIT"},             {"WC_HEADER", "SysHeader32"},         {"WC_IPADDRESS", "SysIPAddress32"},
    {"WC_LISTBOX", "LISTBOX"},       {"WC_LISTVIEW", "SysListView32"},     {"WC_SCROLLBAR", "SCROLLBAR"},
    {"WC_STATIC", "STATIC"},         {"WC_TABCONTROL", "SysTabControl32"}, {"WC_TREEVIEW", "SysTreeView32"},
    {"PROGRESS_CLASS", "msctls_progress32"}, {"TRACKBAR_CLASS", "msctls_trackbar32"},
    {"UPDOWN_CLASS", "msctls_updown32"},
};

// In ordinal order: 0x80 is BUTTON.
constexpr std::string_view kPredefined[] = {"BUTTON", "EDIT", "STATIC", "LISTBOX", "SCROLLBAR", "COMBOBOX"};

}  // namespace

std::optional<std::int64_t> WindowsConstant(std::string_view name) {
  auto it = std::lower_bound(std::begin(kConstants), std::end(kConstants), name,
                             [](const Constant& c, std::string_view n) { return c.name < n; });
  if (it == std::end(kConstants) || it->name != name) return std::nullopt;
  return it->value;
}

bool ConstantTableIsSorted() {
  return std::is_sorted(std::begin(kConstants), std::end(kConstants),
                        [](const Constant& a, const Constant& b) { return a.name < b.name; });
}

std::optional<std::string_view> ClassNameFromIdentifier(std::string_view name) {
  for (const auto& m : kClassMacros)
    if (m.name == name) return m.className;
  for (auto predefined : kPredefined)
    if (platform::EqualNoCase(predefined, name)) return predefined;
  return std::nullopt;
}

std::string_view NormalizeClassName(std::string_view name) {
  for (auto predefined : kPredefined)
    if (platform::EqualNoCase(predefined, name)) return predefined;
  return name;
}

std::optional<std::string_view> ClassNameFromOrdinal(std::int64_t ordinal) {
  if (ordinal < 0x80 || ordinal > 0x85) return std::nullopt;
  return kPredefined[ordinal - 0x80];
}

}  // namespace ui::headless::rc

#include "ui/headless/RcParser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string_view>

#include "ui/headless/RcConstants.h"

std::string_view InstallerResourceScript();

namespace ui::headless {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr LangId kEnglish = 0x0409;
constexpr LangId kPortuguese = 0x0416;

constexpr std::uint32_t WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000, WS_DISABLED = 0x08000000;
constexpr std::uint32_t WS_GROUP = 0x00020000, WS_TABSTOP = 0x00010000, WS_BORDER = 0x00800000;
constexpr std::uint32_t WS_VSCROLL = 0x00200000;

// One of everything the project's scripts write, in the layout windres reads.
constexpr std::string_view kScript = R"rc(// header part
#define IDD_SAMPLE      0x96
#define IDD_OTHER       (IDD_SAMPLE + 1)
#define IDR_SAMPLE_MENU 142
#define IDC_FIRST       1000
#define IDC_SECOND      (IDC_FIRST + 1)
#define IDC_LIST        0x3fc
#define IDC_ALIAS       IDC_SECOND
#define IDS_HELLO       7
#define IDS_LONG        8
#define APSTUDIO_HIDDEN_SYMBOLS
#define MAKE_ID(x) ((x) + 1)

#include <windows.h>
#include "resource.h"
#pragma code_page(65001)
#ifdef APSTUDIO_INVOKED
1 TEXTINCLUDE DISCARDABLE
BEGIN
    "resource.h\0"
END
#endif

IDR_MAINFRAME_X ICON "res\\app.ico"
166 BITMAP res\product.bmp
1 24 "app.manifest"
CREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST "other.manifest"

VS_VERSION_INFO VERSIONINFO
 FILEVERSION 1,0,0,1
 FILEFLAGSMASK 0x3fL
BEGIN
    BLOCK "StringFileInfo"
    BEGIN
        BLOCK "040904b0"
        BEGIN
            VALUE "CompanyName", "Sample\0"
        END
    END
END

IDR_ACCEL ACCELERATORS
BEGIN
    "^C", 57634, VIRTKEY, CONTROL
END

GUIDELINES DESIGNINFO
BEGIN
    IDD_SAMPLE, DIALOG
    BEGIN
        LEFTMARGIN, 7
    END
END

LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US
STRINGTABLE DISCARDABLE
BEGIN
    IDS_HELLO "Say ""hi""\tnow\n"
    IDS_LONG, "first "
              "second"
    9 "back\\slash \"quoted\""
END

IDD_SAMPLE DIALOGEX 0, 0, 250, 180, 0
STYLE DS_SETFONT | DS_MODALFRAME | WS_POPUP | (WS_CAPTION | WS_SYSMENU)
EXSTYLE WS_EX_CONTEXTHELP
CAPTION "Sample " "dialog"
MENU IDR_SAMPLE_MENU
FONT 8, "MS Shell Dlg", 400, 0, 0x1
CLASS "SampleClass"
BEGIN
    LTEXT           "Left", IDC_STATIC, 7, 7, 40, 8
    RTEXT           "Right", IDC_STATIC, 7, 17, 40, 8, SS_NOPREFIX
    CTEXT           "Centre", -1, 7, 27, 40, 8
    GROUPBOX        "Group", IDC_STATIC, 7, 37, 100, 40
    AUTORADIOBUTTON "Radio &1", IDC_FIRST, 12, 47, 50, 10, WS_GROUP
    AUTORADIOBUTTON "Radio &2", IDC_ALIAS, 12, 57, 50, 10
    RADIOBUTTON     "Plain radio", 1002, 12, 67, 50, 10
    AUTOCHECKBOX    "Auto check", 1003, 110, 47, 50, 10
    CHECKBOX        "Check", 1004, 110, 57, 50, 10, NOT WS_TABSTOP
    STATE3          "Three", 1005, 110, 67, 50, 10
    AUTO3STATE      "Auto three", 1006, 110, 77, 50, 10
    PUSHBOX         "Box", 1007, 110, 87, 50, 10
    COMBOBOX        1008, 7, 90, 80, 60, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP
    LISTBOX         1009, 7, 110, 80, 30
    EDITTEXT        1010, 90, 110, 60, 14, ES_AUTOHSCROLL | NOT WS_BORDER
    ICON            IDR_SAMPLE_MENU, 1011, 200, 7, 20, 20
    SCROLLBAR       1012, 7, 150, 80, 10
    CONTROL         "", IDC_LIST, "SysListView32", LVS_REPORT | LVS_SINGLESEL | WS_BORDER | WS_TABSTOP,
                    90, 130, 150, 40, WS_EX_CLIENTEDGE
    CONTROL         "Hidden", 1013, Button, BS_AUTOCHECKBOX | NOT WS_VISIBLE | WS_DISABLED, 7, 160, 50, 10
    CONTROL         "Addr", 1014, WC_IPADDRESS, WS_TABSTOP, 60, 160, 80, 12
    CONTROL         166, 1015, "Static", SS_BITMAP, 150, 160, 20, 20
    DEFPUSHBUTTON   "OK", IDOK, 193, 159, 50, 14
    PUSHBUTTON      "Cancel", IDCANCEL, 193, 140, 50, 14
END

IDR_SAMPLE_MENU MENU
BEGIN
    POPUP "&File"
    BEGIN
        MENUITEM "&Open\tCtrl+O", 100
        MENUITEM SEPARATOR
        MENUITEM "E&xit", 101, GRAYED
    END
    POPUP "&Help", HELP
    BEGIN
        MENUITEM "&About", 102
    END
END

143 MENUEX
BEGIN
    POPUP "&View", 0, MFT_STRING
    BEGIN
        MENUITEM "&Refresh", 110, MFT_STRING, MFS_ENABLED
        MENUITEM "", 0, MFT_SEPARATOR
    END
    POPUP "&Help", 0, MFT_STRING | MFT_RIGHTJUSTIFY
    BEGIN
        MENUITEM "&About", 111
    END
END

LANGUAGE LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN
STRINGTABLE
{
    IDS_HELLO "Olá, você"
}

IDD_SAMPLE DIALOGEX 0, 0, 250, 180
CAPTION "Exemplo"
STYLE DS_SETFONT | WS_POPUP
BEGIN
    DEFPUSHBUTTON "OK", IDOK, 193, 159, 50, 14
END

IDD_OTHER DIALOG 0, 0, 100, 50
LANGUAGE LANG_NEUTRAL, SUBLANG_NEUTRAL
BEGIN
    PUSHBUTTON "Only neutral", 1, 5, 5, 40, 14
END
)rc";

const ResourceSet& Sample() {
  static const ResourceSet set = ParseResourceScript(kScript);
  return set;
}

const ControlTemplate& ControlOf(const DialogTemplate& d, int id, int nth = 0) {
  for (const auto& c : d.controls)
    if (c.id == id && nth-- == 0) return c;
  throw std::runtime_error("no control " + std::to_string(id));
}

TEST(ResourceSetParse, ReadsDialogHeaderStatements) {
  const DialogTemplate* d = Sample().FindDialog(150, kEnglish);
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->lang, kEnglish);
  EXPECT_EQ(d->caption, "Sample dialog");
  EXPECT_EQ(d->menuId, 142);
  EXPECT_EQ(d->cx, 250);
  EXPECT_EQ(d->cy, 180);
  // DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU
  EXPECT_EQ(d->style, 0x40u | 0x80u | 0x80000000u | 0x00C00000u | 0x00080000u);
  EXPECT_EQ(d->controls.size(), 23u);
}

TEST(ResourceSetParse, ControlStatementsGetWindresClassesAndStyles) {
  const DialogTemplate& d = *Sample().FindDialog(150, kEnglish);
  struct Expected {
    int id, nth;
    const char* className;
    std::uint32_t style;
  };
  const std::uint32_t base = WS_CHILD | WS_VISIBLE;
  const Expected expected[] = {
      {-1, 0, "STATIC", base | WS_GROUP | 0x0},              // LTEXT
      {-1, 1, "STATIC", base | 0x2 | 0x80},                  // RTEXT with a style loses WS_GROUP
      {-1, 2, "STATIC", base | WS_GROUP | 0x1},              // CTEXT
      {-1, 3, "BUTTON", base | 0x7},                         // GROUPBOX
      {1000, 0, "BUTTON", base | 0x9 | WS_GROUP},            // AUTORADIOBUTTON with a style loses WS_TABSTOP
      {1001, 0, "BUTTON", base | 0x9 | WS_TABSTOP},          // default AUTORADIOBUTTON
      {1002, 0, "BUTTON", base | 0x4 | WS_TABSTOP},          // RADIOBUTTON
      {1003, 0, "BUTTON", base | 0x3 | WS_TABSTOP},          // AUTOCHECKBOX
      {1004, 0, "BUTTON", base | 0x2},                       // CHECKBOX, NOT WS_TABSTOP
      {1005, 0, "BUTTON", base | 0x5 | WS_TABSTOP},          // STATE3
      {1006, 0, "BUTTON", base | 0x6 | WS_TABSTOP},          // AUTO3STATE
      {1007, 0, "BUTTON", base | 0xA | WS_TABSTOP},          // PUSHBOX
      {1008, 0, "COMBOBOX", base | 0x3 | WS_VSCROLL | WS_TABSTOP},
      {1009, 0, "LISTBOX", base | 0x1 | WS_BORDER},
      {1010, 0, "EDIT", base | 0x80 | WS_TABSTOP},           // NOT WS_BORDER
      {1011, 0, "STATIC", base | 0x3},                       // ICON
      {1012, 0, "SCROLLBAR", base},
      {0x3fc, 0, "SysListView32", base | 0x1 | 0x4 | WS_BORDER | WS_TABSTOP},
      {1013, 0, "BUTTON", WS_CHILD | 0x3 | WS_DISABLED},
      {1014, 0, "SysIPAddress32", base | WS_TABSTOP},
      {1015, 0, "STATIC", base | 0xE},
      {1, 0, "BUTTON", base | 0x1 | WS_TABSTOP},
      {2, 0, "BUTTON", base | WS_TABSTOP},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE("control " + std::to_string(e.id) + " #" + std::to_string(e.nth));
    const ControlTemplate& c = ControlOf(d, e.id, e.nth);
    EXPECT_EQ(c.className, e.className);
    EXPECT_EQ(c.style, e.style);
  }
}

TEST(ResourceSetParse, ControlTextPositionAndExtendedStyle) {
  const DialogTemplate& d = *Sample().FindDialog(150, kEnglish);
  EXPECT_EQ(ControlOf(d, 1001).text, "Radio &2");
  const ControlTemplate& list = ControlOf(d, 0x3fc);
  EXPECT_EQ(list.text, "");
  EXPECT_EQ(list.exStyle, 0x200u);
  EXPECT_EQ(list.x, 90);
  EXPECT_EQ(list.y, 130);
  EXPECT_EQ(list.cx, 150);
  EXPECT_EQ(list.cy, 40);
  EXPECT_EQ(ControlOf(d, 1011).text, "#142");  // ICON names its resource by id
  EXPECT_EQ(ControlOf(d, 1015).text, "#166");
  EXPECT_EQ(ControlOf(d, 1008).text, "");
}

TEST(ResourceSetParse, StringLiteralsDecodeEscapesAndJoin) {
  EXPECT_EQ(Sample().FindString(7, kEnglish), "Say \"hi\"\tnow\n");
  EXPECT_EQ(Sample().FindString(8, kEnglish), "first second");
  EXPECT_EQ(Sample().FindString(9, kEnglish), "back\\slash \"quoted\"");
  EXPECT_EQ(Sample().FindString(7, kPortuguese), "Ol\xE1, voc\xEA");  // the UTF-8 script read as Windows-1252
}

TEST(ResourceSetParse, MenusKeepStructureAndRightJustification) {
  const MenuTemplate* menu = Sample().FindMenu(142, kEnglish);
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->items.size(), 2u);
  const MenuItem& file = menu->items[0];
  EXPECT_TRUE(file.popup);
  EXPECT_FALSE(file.rightJustify);
  ASSERT_EQ(file.items.size(), 3u);
  EXPECT_EQ(file.items[0].text, "&Open\tCtrl+O");
  EXPECT_EQ(file.items[0].command, 100);
  EXPECT_EQ(file.items[1].command, 0);  // separator
  EXPECT_EQ(file.items[1].text, "");
  EXPECT_EQ(file.items[2].command, 101);
  EXPECT_TRUE(menu->items[1].rightJustify);
  EXPECT_EQ(menu->items[1].items[0].command, 102);

  const MenuTemplate* ex = Sample().FindMenu(143, kEnglish);
  ASSERT_NE(ex, nullptr);
  EXPECT_FALSE(ex->items[0].rightJustify);
  EXPECT_EQ(ex->items[0].items[0].command, 110);
  EXPECT_EQ(ex->items[0].items[1].command, 0);
  EXPECT_TRUE(ex->items[1].rightJustify);
  EXPECT_EQ(ex->items[1].items[0].command, 111);
}

TEST(ResourceSetParse, SkippedResourcesLeaveNothingBehind) {
  // TEXTINCLUDE, ICON, BITMAP, manifests, VERSIONINFO, ACCELERATORS and DESIGNINFO.
  EXPECT_EQ(Sample().dialogs.size(), 3u);
  EXPECT_EQ(Sample().menus.size(), 2u);
  EXPECT_EQ(Sample().strings.size(), 4u);
}

TEST(ResourceSetLookup, FallsBackToEnglishThenAnyLanguage) {
  EXPECT_EQ(Sample().FindDialog(150, kPortuguese)->caption, "Exemplo");
  EXPECT_EQ(Sample().FindDialog(150, 0x0407)->caption, "Sample dialog");
  EXPECT_EQ(Sample().FindString(8, kPortuguese), "first second");  // only in English
  const DialogTemplate* neutral = Sample().FindDialog(151, kPortuguese);
  ASSERT_NE(neutral, nullptr);
  EXPECT_EQ(neutral->lang, 0);
  EXPECT_EQ(Sample().FindDialog(152, kEnglish), nullptr);
  EXPECT_EQ(Sample().FindString(99, kEnglish), std::nullopt);
  EXPECT_EQ(Sample().FindMenu(142, kPortuguese)->lang, kEnglish);
}

TEST(ResourceSetParse, DialogStyleWithoutStyleStatementIsThePopupDefault) {
  auto set = ParseResourceScript("1 DIALOG 0, 0, 10, 10\nBEGIN\nEND\n2 DIALOG 0,0,10,10\nCAPTION \"x\"\nBEGIN\nEND\n");
  EXPECT_EQ(set.FindDialog(1, kEnglish)->style, 0x80000000u | 0x00800000u | 0x00080000u);
  EXPECT_EQ(set.FindDialog(2, kEnglish)->style, 0x80000000u | 0x00C00000u | 0x00080000u);
  // A STYLE after CAPTION keeps the caption bits.
  EXPECT_EQ(Sample().FindDialog(150, kPortuguese)->style, 0x00C00000u | 0x40u | 0x80000000u);
}

TEST(ResourceSetParse, JoinedFilesMayCarryByteOrderMarksAndCrLf) {
  auto set = ParseResourceScript("\xEF\xBB\xBF#define IDS_A 5\r\n\n\xEF\xBB\xBFSTRINGTABLE\r\nBEGIN\r\n IDS_A \"a\"\r\nEND\r\n");
  EXPECT_EQ(set.FindString(5, kEnglish), "a");
}

std::string ParseError(std::string_view script) {
  try {
    ParseResourceScript(script);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "no error";
}

TEST(ResourceSetParse, ErrorsNameTheLineAndTheProblem) {
  EXPECT_THAT(ParseError("1 DIALOGEX 0, 0, 10, 10\nBEGIN\n  LTXT \"a\", 1, 0, 0, 1, 1\nEND\n"),
              AllOf(HasSubstr("line 3"), HasSubstr("unknown control statement 'LTXT'")));
  EXPECT_THAT(ParseError("\n\nSTRINGTABLE\nBEGIN\n  IDS_MISSING \"x\"\nEND\n"),
              AllOf(HasSubstr("line 5"), HasSubstr("unknown name 'IDS_MISSING'")));
  EXPECT_THAT(ParseError("STRINGTABLE\nBEGIN\n  1 \"open\nEND\n"), AllOf(HasSubstr("line 3"), HasSubstr("unterminated")));
  EXPECT_THAT(ParseError("1 DIALOG 0, 0, 10, 10\nBEGIN\n  PUSHBUTTON \"a\", 1, 0, 0, 1, 1\n"),
              AllOf(HasSubstr("line 1"), HasSubstr("missing END")));
  EXPECT_THAT(ParseError("\n1 WIDGET \"x\"\n"), AllOf(HasSubstr("line 2"), HasSubstr("unknown resource type 'WIDGET'")));
  EXPECT_THAT(ParseError("STRINGTABLE\nBEGIN\n 1 \"a\"\n 1 \"b\"\nEND\n"),
              AllOf(HasSubstr("line 4"), HasSubstr("defined twice")));
  EXPECT_THAT(ParseError("#define A B\n#define B A\nSTRINGTABLE\nBEGIN\n A \"x\"\nEND\n"), HasSubstr("refers to itself"));
  EXPECT_THAT(ParseError("\n#error stop\n"), AllOf(HasSubstr("line 2"), HasSubstr("#error")));
  EXPECT_THAT(ParseError("IDD_NAMED DIALOG 0, 0, 1, 1\nBEGIN\nEND\n"), HasSubstr("'IDD_NAMED' is not a defined id"));
  EXPECT_THAT(ParseError("1 DIALOG 0, 0, 1, 1\nSTYLE WS_POPUP\nTITLE \"x\"\nBEGIN\nEND\n"),
              AllOf(HasSubstr("line 3"), HasSubstr("unknown dialog statement 'TITLE'")));
  // A file resource whose name is missing must not swallow the next resource.
  EXPECT_THAT(ParseError("1 BITMAP\n2 DIALOG 0, 0, 1, 1\nBEGIN\nEND\n"), HasSubstr("line 2"));
}

std::string Repeated(std::string_view piece, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += piece;
  return text;
}

// A script from anywhere is read in bounded time and stack, its arithmetic without undefined behaviour.
TEST(ResourceSetParse, HostileScriptsAreErrorsNamingTheLine) {
  const auto id = [](const std::string& expression) { return "STRINGTABLE\nBEGIN\n " + expression + " \"x\"\nEND\n"; };
  std::string doubling = "#define D0 1\n";
  for (int i = 1; i <= 21; ++i) {
    const std::string previous = "D" + std::to_string(i - 1);
    doubling += "#define D" + std::to_string(i) + " (" + previous + "+" + previous + ")\n";
  }
  const struct {
    std::string script;
    std::string error;
  } rows[] = {
      {id("0x7FFFFFFFFFFFFFFF + 1"), "line 3: arithmetic overflow"},
      {id("-0x7FFFFFFFFFFFFFFF - 2"), "line 3: arithmetic overflow"},
      {id("0x4000000000000000 * 2"), "line 3: arithmetic overflow"},
      {id("-(-0x7FFFFFFFFFFFFFFF - 1)"), "line 3: arithmetic overflow"},
      {id("(-0x7FFFFFFFFFFFFFFF - 1) / -1"), "line 3: arithmetic overflow"},
      {id("(-0x7FFFFFFFFFFFFFFF - 1) % -1"), "line 3: arithmetic overflow"},
      {id("1 % (2 - 2)"), "line 3: division by zero"},
      {id(Repeated("(", 100000) + "1" + Repeated(")", 100000)), "line 3: nested more than 200 levels deep"},
      {id(Repeated("-", 100000) + "1"), "line 3: nested more than 200 levels deep"},
      {"1 MENU\nBEGIN\n" + Repeated("POPUP \"p\"\nBEGIN\n", 100000), "line 404: nested more than 200 levels deep"},
      {doubling + id("D21"), "#define names expanded more than 100000 times"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.script.substr(0, 60));
    EXPECT_THAT(ParseError(row.script), AllOf(StartsWith("resource script line "), HasSubstr(row.error)));
  }
}

TEST(ResourceSetConstants, TableIsSortedAndHoldsTheHeaderValues) {
  EXPECT_TRUE(rc::ConstantTableIsSorted());
  EXPECT_EQ(rc::WindowsConstant("WS_VISIBLE"), 0x10000000);
  EXPECT_EQ(rc::WindowsConstant("WS_OVERLAPPEDWINDOW"), 0x00CF0000);
  EXPECT_EQ(rc::WindowsConstant("LVS_EX_FULLROWSELECT"), 0x20);
  EXPECT_EQ(rc::WindowsConstant("SUBLANG_PORTUGUESE_BRAZILIAN"), 1);
  EXPECT_EQ(rc::WindowsConstant("LANG_PORTUGUESE"), 0x16);
  EXPECT_EQ(rc::WindowsConstant("MFT_RIGHTJUSTIFY"), 0x4000);
  EXPECT_EQ(rc::WindowsConstant("IDC_STATIC"), -1);
  EXPECT_EQ(rc::WindowsConstant("ws_visible"), std::nullopt);  // C names are case-sensitive
}

// The installer's own script, as the build embeds it (resource.h, then every .rc).
TEST(InstallerResourceScript, PrinterModelDialogInBothLanguages) {
  ResourceSet set = ParseResourceScript(InstallerResourceScript());
  for (LangId lang : {kEnglish, kPortuguese}) {
    SCOPED_TRACE(lang);
    const DialogTemplate* d = set.FindDialog(148, lang);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->lang, lang);
    for (int id : {1021, 1033, 1034, 1041, 1055, 1013, 1061, 2}) {
      bool found = false;
      for (const auto& c : d->controls) found |= c.id == id;
      EXPECT_TRUE(found) << "control " << id;
    }
    bool hasString = false;
    for (const auto& s : set.strings) hasString |= s.id == 124 && s.lang == lang;
    EXPECT_TRUE(hasString) << "string 124";
  }
}

}  // namespace
}  // namespace ui::headless

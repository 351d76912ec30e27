#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Dialog.h"
#include "ui/headless/DialogDriver.h"
#include "ui/headless/HeadlessKit.h"
#include "ui/headless/RcParser.h"
#include "ui/headless/ScriptedUser.h"

namespace ui::headless::testing {

constexpr int kMain = 500;
constexpr int kInner = 501;
constexpr int kStatus = 502;
constexpr LangId kEnglish = 0x0409;
constexpr LangId kPortuguese = 0x0416;

// Templates of the test dialogs, independent of the installer's.
constexpr std::string_view kTestScript = R"rc(
#define IDD_MAIN 500
#define IDD_INNER 501
#define IDD_STATUS 502
#define IDR_MAIN_MENU 600

IDR_MAIN_MENU MENU
BEGIN
    POPUP "&File"
    BEGIN
        MENUITEM "&Refresh", 601
        MENUITEM SEPARATOR
        MENUITEM "E&xit", 602
    END
END

IDD_MAIN DIALOGEX 0, 0, 300, 200
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU
CAPTION "Main"
MENU IDR_MAIN_MENU
BEGIN
    AUTORADIOBUTTON "A", 1001, 10, 10, 50, 10, WS_GROUP | WS_TABSTOP
    AUTORADIOBUTTON "B", 1002, 10, 20, 50, 10
    AUTORADIOBUTTON "C", 1003, 10, 30, 50, 10
    AUTORADIOBUTTON "D", 1004, 10, 40, 50, 10, NOT WS_VISIBLE
    LTEXT           "Width", -1, 70, 10, 40, 8
    AUTORADIOBUTTON "80mm", 1011, 70, 20, 50, 10, WS_GROUP
    AUTORADIOBUTTON "48mm", 1012, 70, 30, 50, 10
    AUTOCHECKBOX    "Option", 1020, 130, 10, 50, 10
    AUTO3STATE      "Tri", 1021, 130, 20, 50, 10
    CONTROL         "", 1030, "SysListView32", LVS_REPORT | LVS_SINGLESEL | WS_BORDER | WS_TABSTOP, 10, 60, 200, 80
    CONTROL         "", 1031, "SysListView32", LVS_REPORT | LVS_SORTASCENDING | WS_BORDER | NOT WS_VISIBLE, 10, 60, 20, 20
    COMBOBOX        1040, 10, 150, 100, 60, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP
    COMBOBOX        1041, 10, 170, 100, 60, CBS_DROPDOWNLIST | CBS_SORT
    EDITTEXT        1050, 120, 150, 60, 14, ES_AUTOHSCROLL
    EDITTEXT        1051, 120, 170, 60, 14, ES_READONLY
    LTEXT           "Status", 1052, 200, 40, 60, 8
    GROUPBOX        "Box", 1053, 200, 50, 60, 8
    PUSHBUTTON      "Disabled", 1060, 200, 10, 50, 14, WS_DISABLED
    PUSHBUTTON      "&Open inner", 1061, 200, 30, 50, 14
    DEFPUSHBUTTON   "OK", IDOK, 190, 180, 50, 14
    PUSHBUTTON      "Cancel", IDCANCEL, 245, 180, 50, 14
END

IDD_INNER DIALOGEX 0, 0, 100, 60
CAPTION "Inner"
BEGIN
    LTEXT           "Inner text", 1100, 5, 5, 90, 8
    DEFPUSHBUTTON   "OK", IDOK, 5, 40, 40, 14
    PUSHBUTTON      "Cancel", IDCANCEL, 50, 40, 40, 14
END

IDD_STATUS DIALOGEX 0, 0, 100, 40
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION
CAPTION "Status"
BEGIN
    LTEXT           "Working", 1200, 5, 5, 90, 8
END

STRINGTABLE
BEGIN
    10 "Hello"
    11 "Only English"
END

LANGUAGE LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN
IDD_INNER DIALOGEX 0, 0, 100, 60
CAPTION "Diálogo interno"
BEGIN
    DEFPUSHBUTTON   "OK", IDOK, 5, 40, 40, 14
END

STRINGTABLE
BEGIN
    10 "Olá"
END
)rc";

inline const ResourceSet& TestResources() {
  static const ResourceSet set = ParseResourceScript(kTestScript);
  return set;
}

// A dialog whose behaviour each test supplies; it logs the messages it gets.
class TestDialog : public Dialog {
public:
  using Dialog::Dialog;

  std::function<void(TestDialog&)> onInit;
  std::function<void(TestDialog&, int id, int code)> onCommand;
  std::function<void(TestDialog&, int id, int code)> onNotify;
  std::function<void(TestDialog&)> onCancel;
  std::vector<std::string> log;

  bool OnInitDialog() override {
    if (onInit) onInit(*this);
    return true;
  }
  void OnCommand(int id, int code) override {
    log.push_back("command " + std::to_string(id) + " " + std::to_string(code));
    if (onCommand) onCommand(*this, id, code);
    Dialog::OnCommand(id, code);
  }
  intptr_t OnNotify(int id, int code) override {
    log.push_back("notify " + std::to_string(id) + " " + std::to_string(code));
    if (onNotify) onNotify(*this, id, code);
    return 0;
  }
  void OnCancel() override {
    if (onCancel) return onCancel(*this);
    Dialog::OnCancel();
  }
};

struct HeadlessFixture {
  explicit HeadlessFixture(LangId lang = kEnglish) : kit(TestResources(), lang, user) { kit.SetTranscript(transcript); }

  ScriptedUser user;
  RecordingTranscript transcript;
  HeadlessKit kit;
};

}  // namespace ui::headless::testing

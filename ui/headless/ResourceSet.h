#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Win32Types.h"

namespace ui::headless {

using LangId = platform::LANGID;

namespace style {
constexpr std::uint32_t Visible = 0x10000000;   // WS_VISIBLE
constexpr std::uint32_t Disabled = 0x08000000;  // WS_DISABLED
constexpr std::uint32_t Group = 0x00020000;     // WS_GROUP
constexpr std::uint32_t TabStop = 0x00010000;   // WS_TABSTOP
constexpr std::uint32_t ButtonTypeMask = 0xF;   // BS_TYPEMASK
constexpr std::uint32_t PushButton = 0x0;       // BS_PUSHBUTTON
constexpr std::uint32_t DefPushButton = 0x1;
constexpr std::uint32_t CheckBox = 0x2;
constexpr std::uint32_t AutoCheckBox = 0x3;
constexpr std::uint32_t RadioButton = 0x4;
constexpr std::uint32_t GroupBox = 0x7;
constexpr std::uint32_t AutoRadioButton = 0x9;
}  // namespace style

// One control line of a dialog template. className is the window class as Windows
// names it: "BUTTON", "STATIC", "EDIT", "COMBOBOX", "LISTBOX", "SysListView32", "SysIPAddress32", ...
struct ControlTemplate {
  int id = -1;
  std::string className;
  std::string text;          // an ICON or bitmap control's resource: its name, or "#<id>"
  std::uint32_t style = 0;  // including WS_VISIBLE unless the script says NOT WS_VISIBLE
  std::uint32_t exStyle = 0;
  int x = 0, y = 0, cx = 0, cy = 0;  // dialog units
};

struct DialogTemplate {
  int id = 0;
  LangId lang = 0;
  std::string caption;
  std::uint32_t style = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
  int menuId = 0;
  std::vector<ControlTemplate> controls;
};

struct MenuItem {
  std::string text;
  int command = 0;      // 0 for a popup or separator
  bool popup = false;
  bool rightJustify = false;
  std::vector<MenuItem> items;
};

struct MenuTemplate {
  int id = 0;
  LangId lang = 0;
  std::vector<MenuItem> items;
};

struct StringEntry {
  int id = 0;
  LangId lang = 0;
  std::string text;
};

// The dialogs, menus and string tables of a resource script (ParseResourceScript reads them).
class ResourceSet {
public:
  // Lookup by language: the exact language, then English (US), then any.
  const DialogTemplate* FindDialog(int id, LangId lang) const;
  const MenuTemplate* FindMenu(int id, LangId lang) const;
  std::optional<std::string> FindString(int id, LangId lang) const;

  std::vector<DialogTemplate> dialogs;
  std::vector<MenuTemplate> menus;
  std::vector<StringEntry> strings;
};

// A resource set as a program running in one language sees it.
struct LocalizedResources {
  const ResourceSet& set;
  LangId language;

  // A dialog asking for a template the script lacks is a programming error (std::logic_error).
  const DialogTemplate& Dialog(int id) const;
  const MenuTemplate* FindMenu(int id) const { return set.FindMenu(id, language); }
  std::string String(int id) const { return set.FindString(id, language).value_or(""); }
};

}  // namespace ui::headless

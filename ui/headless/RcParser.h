#pragma once
#include <string_view>

#include "ui/headless/ResourceSet.h"

namespace ui::headless {

// Reads the dialogs, menus and string tables of a resource script from the script text itself
// (the same .rc files the Windows build compiles), so both builds share one source. The script
// is UTF-8; every text read from it is Windows-1252, as the "A" functions give it.
// Understands the subset this project writes: #define lines of the resource header, LANGUAGE,
// STRINGTABLE, DIALOG/DIALOGEX with their control statements, MENU/MENUEX. Other resource
// statements (ICON, BITMAP, VERSIONINFO, ...) are skipped. Throws std::runtime_error naming the
// line for anything it cannot read.
// Control styles follow windres: without a style expression a statement gets its default
// style; with one, the expression modifies the statement's base style (so LTEXT with a
// style loses WS_GROUP, AUTORADIOBUTTON loses WS_TABSTOP). WS_CHILD | WS_VISIBLE always.
ResourceSet ParseResourceScript(std::string_view script);

}  // namespace ui::headless

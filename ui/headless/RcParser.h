#pragma once
#include <string_view>

#include "ui/ResourceSet.h"

namespace ui::rc {

// Reads a resource script into dialogs, menus and string tables; see ResourceSet::Parse.
// Control styles follow windres: without a style expression a statement gets its default
// style; with one, the expression modifies the statement's base style (so LTEXT with a
// style loses WS_GROUP, AUTORADIOBUTTON loses WS_TABSTOP). WS_CHILD | WS_VISIBLE always.
ResourceSet ParseScript(std::string_view script);

}  // namespace ui::rc

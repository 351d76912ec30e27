#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace ui::headless::rc {

// Values of the <windows.h>/<commctrl.h> names that dialog scripts use (styles, ids,
// languages), as the mingw-w64 headers define them: the headless build has no such headers.
std::optional<std::int64_t> WindowsConstant(std::string_view name);
bool ConstantTableIsSorted();

// Window class of a CONTROL statement written as a class keyword (BUTTON, Static, ...) or a
// class macro (WC_LISTVIEW -> "SysListView32").
std::optional<std::string_view> ClassNameFromIdentifier(std::string_view name);
// The predefined classes in upper case ("Button" -> "BUTTON"); other names unchanged.
std::string_view NormalizeClassName(std::string_view name);
// Predefined class by its template ordinal (0x80 BUTTON ... 0x85 COMBOBOX).
std::optional<std::string_view> ClassNameFromOrdinal(std::int64_t ordinal);

}  // namespace ui::headless::rc

#pragma once
#include <string>
#include <string_view>

namespace ui {

// The Windows-1252 view of UTF-16 text, as WideCharToMultiByte gives it: '?' for each unit the
// code page lacks.
std::string ToAnsi(std::u16string_view text);
// MultiByteToWideChar from Windows-1252.
std::u16string ToWide(std::string_view ansi);

}  // namespace ui

#pragma once
// The system's 8-bit text is Windows-1252, as the "A" functions see it on a Western Windows; UTF-8
// exists only at the edges (resource scripts, machine.json, host file names, transcript, console).
#include <optional>
#include <string>
#include <string_view>

namespace platform {

std::string AnsiToUtf8(std::string_view ansi);
// For a terminal: the text in UTF-8 with each control character (C0, DEL, and the bytes that stand for
// C1 controls) as a C escape, \t \n \r or \x1b, so that none reaches the terminal raw.
std::string AnsiToPrintableUtf8(std::string_view ansi);
// nullopt when the text is not valid UTF-8 or holds a character Windows-1252 lacks.
std::optional<std::string> Utf8ToAnsi(std::string_view utf8);
// Like Utf8ToAnsi, but bad sequences and missing characters become '?', as WideCharToMultiByte does.
std::string Utf8ToAnsiLossy(std::string_view utf8);
std::string Utf16ToAnsiLossy(std::string_view bytes, bool bigEndian);
// MultiByteToWideChar from the 8-bit code page: every byte is one UTF-16 unit.
std::u16string AnsiToUtf16(std::string_view ansi);
// WideCharToMultiByte without a default character: nullopt when a unit has no Windows-1252 byte.
std::optional<std::string> Utf16ToAnsi(std::u16string_view text);
// nullopt when the text is not valid UTF-8.
std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8);

}  // namespace platform

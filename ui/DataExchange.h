#pragma once
// The dialog framework's data exchange of a number typed into an edit control.
#include <cstdint>
#include <optional>
#include <string>

#include "ui/Dialog.h"

namespace ui {

// The framework's own messages, in every application's string table.
constexpr int kIdsParseUInt = 61719;      // "Please enter a positive integer."
constexpr int kIdsParseIntRange = 61714;  // "Please enter an integer between %1 and %2."

// A text the framework reads as an unsigned number: digits with blanks or tabs around them,
// no sign, within 32 bits.
std::optional<std::uint32_t> ParseUnsignedText(const std::string& text);

// Takes edit `id`'s text into `value` when it is an unsigned number from min to max. Otherwise
// tells the user (the framework's message), puts the focus on the edit and leaves `value` as it
// was: false.
bool ExchangeUnsigned(Dialog& dialog, int id, std::uint32_t& value, std::uint32_t min, std::uint32_t max);

}  // namespace ui

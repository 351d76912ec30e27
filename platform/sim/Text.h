#pragma once
// 8-bit text as the "A" functions see it: Windows-1252 bytes, compared without regard to case
// the way Windows compares registry and profile names (CaseFolding.h).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CaseFolding.h"
#include "platform/Windows1252.h"  // machine.json is UTF-8, the machine's text Windows-1252

namespace platform::sim {

// The part of a C string the "A" functions see: everything before the first NUL.
std::string_view UpToNul(std::string_view text);

std::string ToHex(const std::vector<std::uint8_t>& bytes);
// Accepts pairs of hex digits, optionally separated by blanks or commas.
std::optional<std::vector<std::uint8_t>> FromHex(std::string_view text);

}  // namespace platform::sim

#pragma once
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <cstdint>
#include <vector>

// REG_MULTI_SZ-style text: each name with its NUL, then one more NUL.
std::size_t MultiStringSize(const std::vector<std::string>& names);

// Writes the names into the buffer; the count of bytes used, or none (buffer untouched) when they do not fit.
std::optional<std::size_t> WriteMultiString(std::span<char> buffer, const std::vector<std::string>& names);

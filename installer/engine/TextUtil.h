#pragma once
#include <string>

// White space as the C library's isspace sees it in the "C" locale.
bool IsCWhiteSpace(char c);
std::string TrimLeadingWhiteSpace(const std::string& text);
std::string TrimTrailingWhiteSpace(const std::string& text);
std::string TrimWhiteSpace(const std::string& text);

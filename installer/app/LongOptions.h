#pragma once
#include <string>
#include <vector>

// A long option the program knows ("--model"), and whether a value follows it.
struct LongOption {
  std::string name;
  bool takesValue;
  bool repeatable = false;  // may be given more than once
};

// Why the "--" words of the command line cannot be read (empty when they can): an unknown option
// (with the nearest known one where one is close), an option without its value, or one given twice.
// Words without "--" are the program's own flags or values, and pass.
std::string CheckLongOptions(const std::vector<std::string>& args, const std::vector<LongOption>& known);

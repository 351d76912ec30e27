#pragma once
#include <optional>
#include <string>
#include <vector>

#include "app/CCustomCommandLineInfo.h"

// Everything the command line asks for: the program's own flags and the long options
// of the unattended mode. Unknown arguments are ignored.
struct ProgramOptions {
  CCustomCommandLineInfo flags;
  std::optional<std::string> machineDir;  // simulated machine folder (Linux build)
  bool listModels = false;
  bool unattended = false;
  bool help = false;
  std::string model;          // empty: the first listed model
  std::string driver;         // "regular" or "reduced"; empty: as the dialog proposes
  std::string width;          // "80" or "48"; empty: as the dialog proposes
  std::string error;          // a long option with a value it cannot take
  std::string helpText;
};

ProgramOptions ParseProgramOptions(const std::vector<std::string>& args);

// True when the run writes to standard output (so a GUI program must find a console).
bool WantsConsoleOutput(const ProgramOptions& options);

#pragma once
#include <optional>
#include <ostream>

#include "app/ProgramEnvironment.h"
#include "app/ProgramOptions.h"

// The program from its options to its exit code, the same in every build.
int RunProgram(const ProgramOptions& options, ProgramEnvironment& environment);

// The exit code of a command line answered without looking at the system (a fault in it, or
// --help); none when the program has work to do.
std::optional<int> AnswerWithoutSystem(const ProgramOptions& options, std::ostream& out, std::ostream& err);

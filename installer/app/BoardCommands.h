#pragma once
// The technician's ethernet board commands: list the boards that answer a search, and give one
// board new IP settings, without the wizard.
#include "app/ProgramEnvironment.h"
#include "app/ProgramOptions.h"

// --find-boards: one line per board, "02:00:4B:56:58:30 192.0.2.50 255.255.255.0 192.0.2.1 9100 static",
// Ostrel boards first when both kinds are searched. Exit code 0, also when no board answers.
int FindBoardsCommand(const ProgramOptions& options, ProgramEnvironment& env);

// --set-board MAC: searches, then sends the --board-* settings (the board's own for the others).
// Exit code 0 sent, 1 no such board or refused, 2 bad usage.
int SetBoardCommand(const ProgramOptions& options, ProgramEnvironment& env);

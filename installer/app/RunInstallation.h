#pragma once
#include <string>

class CPrinterModelDlg;

// How an installation run ended, for the program's exit code and the transcript.
enum class RunOutcome { NotRun, Installed, AlreadyInstalled, PortChanged, Cancelled, Failed };

// Installs the printer the wizard chose on `portChoice` ("COM1:", "LPT1:", "USB", "IP" with the
// address in `portParameter`), asking what to do when it exists on another port, with the
// progress dialog over the model dialog; then the outcome message and the test-page question.
// False when it stopped before the outcome messages. `portChoice` is changed in place.
bool RunInstallation(CPrinterModelDlg& dialog, std::string& portChoice, const std::string& portParameter);

#pragma once
#include <string>

class CPrinterModelDlg;

// Runs the installation the wizard asked for, from the model dialog's choices and the port.
void RunInstallation(CPrinterModelDlg& dialog, const std::string& portChoice, const std::string& portParameter);

#include "app/RunInstallation.h"

#include "app/CPrinterModelDlg.h"

void RunInstallation(CPrinterModelDlg& dialog, const std::string& portChoice, const std::string& portParameter) {
  // The installation run itself comes with the progress dialog; until then keep what it was
  // handed, and nothing was installed.
  dialog.selection.portChoice = portChoice;
  dialog.selection.portParameter = portParameter;
  dialog.installationStarted = false;
  dialog.installationSucceeded = false;
}

#include "app/RunInstallation.h"

#include "app/CPrinterModelDlg.h"

void RunInstallation(CPrinterModelDlg& dialog, const std::string& portChoice, const std::string& portParameter) {
  // The interface page of this version never asks for an installation; record the request all the same.
  ui::Transcript& transcript = dialog.kit().transcript();
  transcript.Choice("port", portChoice);
  transcript.Choice("port-parameter", portParameter);
  dialog.installationStarted = true;
  dialog.installationSucceeded = false;
}

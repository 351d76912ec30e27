#include "app/CTolvInstallerApp.h"

#include "app/AppProfile.h"
#include "app/CPrinterModelDlg.h"

CTolvInstallerApp::CTolvInstallerApp(AppContext& context, CCustomCommandLineInfo commandLine)
    : context_(context), commandLine_(commandLine) {}

std::string CTolvInstallerApp::AppNameFromModulePath(const std::string& modulePath) {
  const std::size_t slash = modulePath.find_last_of("\\/");
  std::string name = slash == std::string::npos ? modulePath : modulePath.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

bool CTolvInstallerApp::InitInstance() {
  CPrinterModelDlg dialog(context_);
  dialog.selection.newMonitorPending = NewMonitorPending(context_.platform.registry, context_.kit.AppName());
  dialog.selection.hidden = commandLine_.hidden;

  modelDialogResult = dialog.DoModal();
  runOutcome = dialog.runOutcome;
  return false;
}

#pragma once
#include <memory>
#include <optional>
#include <vector>
#include <string>

#include "app/AppContext.h"
#include "app/RunInstallation.h"
#include "app/WizardSelection.h"
#include "engine/Win2kXPInstaller.h"
#include "ui/Dialog.h"

// The program's main window and the wizard's first page: model, driver kind and width.
class CPrinterModelDlg : public ui::Dialog {
public:
  explicit CPrinterModelDlg(AppContext& context);
  ~CPrinterModelDlg() override;

  bool OnInitDialog() override;
  void OnCommand(int id, int notifyCode) override;
  intptr_t OnNotify(int id, int code) override;

  bool SelectedModelName(std::string& name);
  void ShowAdvancedOptions(bool show);
  void PresetWidthFromCatalog(const std::string& modelName);
  void OnContinue();

  AppContext& context() { return context_; }

  // Whether the model list shows a catalog name: it carries one of the family codes.
  static bool IsListedModel(const std::string& name);
  // The width mask of the decorated entry of exactly this name; none without one.
  static std::optional<unsigned long> WidthMaskFor(const std::vector<std::string>& decorated, const std::string& name);

  // The wizard's choices; model, driver kind and width are read from the controls by the run.
  WizardSelection selection;
  // How the installation run ended; NotRun until "Install printer" starts one.
  RunOutcome runOutcome = RunOutcome::NotRun;
  // The installer of the run in progress, created by the installation gate.
  std::unique_ptr<Win2kXPInstaller> installer;

private:
  void ResetWidthTo80();
  void OnListClick();
  void OnAdvanced();
  void OnAbout();
  void RecordChoices(const std::string& modelName);

  AppContext& context_;
  bool advancedHidden_ = true;
};

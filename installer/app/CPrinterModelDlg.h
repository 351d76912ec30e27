#pragma once
#include <optional>
#include <vector>
#include <string>

#include "AppContext.h"
#include "app/RunInstallation.h"
#include "app/WizardSelection.h"
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

  // The width mask of the decorated entry of exactly this name; none without one.
  static std::optional<unsigned long> WidthMaskFor(const std::vector<std::string>& decorated, const std::string& name);

  // The wizard's choices, handed to the installation run.
  WizardSelection selection;
  // How the installation run ended; NotRun until "Install printer" starts one.
  RunOutcome runOutcome = RunOutcome::NotRun;

private:
  void ResetWidthTo80();
  void OnListClick();
  void OnAdvanced();
  void OnAbout();
  // Model, driver kind and width from the controls into the selection; false without a model.
  bool ReadChoices();
  void RecordChoices();

  AppContext& context_;
  bool advancedHidden_ = true;
};

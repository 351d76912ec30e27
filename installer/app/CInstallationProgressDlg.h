#pragma once
#include "AppContext.h"
#include "ui/Dialog.h"

// The modeless window that ticks off the six steps of the installation run while the worker
// installs. Created hidden; the run shows it and destroys it.
class CInstallationProgressDlg : public ui::Dialog {
public:
  explicit CInstallationProgressDlg(AppContext& context);

  // The worker's progress step k: 1 to 6 show the check marks of steps 1 to k, kProgressFinished all six;
  // other values change nothing. A mark never goes away again. Each mark that appears writes
  // its step line to the transcript.
  void ShowSteps(int k);
  // How many check marks show: they are always those of steps 1 to this number.
  int StepsShown() const { return stepsShown_; }

private:
  int stepsShown_ = 0;
};

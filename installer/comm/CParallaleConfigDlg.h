#pragma once
#include "AppContext.h"
#include "ui/Dialog.h"

// The parallel page of the interface dialog: the computer's LPT ports.
class CParallaleConfigDlg : public ui::Dialog {
public:
  explicit CParallaleConfigDlg(AppContext& context);

  bool OnInitDialog() override;

  ui::ComboBox PortBox();

private:
  AppContext& context_;
};

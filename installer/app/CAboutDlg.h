#pragma once
#include "AppContext.h"
#include "ui/Dialog.h"

class CAboutDlg : public ui::Dialog {
public:
  explicit CAboutDlg(AppContext& context, ui::Dialog* parent = nullptr);
  bool OnInitDialog() override;
};

#pragma once
#include "AppContext.h"
#include "ui/Dialog.h"

// The USB virtual COM page of the interface dialog: the printer's virtual serial ports, and
// "Add a new port", which installs the port's driver for a printer plugged in now.
class CUsbVCOM : public ui::Dialog {
public:
  explicit CUsbVCOM(AppContext& context);

  bool OnInitDialog() override;
  void OnCommand(int id, int notifyCode) override;

  ui::ComboBox PortBox();
  void OnAddNewPort();

private:
  void FillPorts();

  AppContext& context_;
};

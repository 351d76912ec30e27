#pragma once
#include "AppContext.h"
#include "comm/PrinterDetection.h"
#include "ui/Dialog.h"

// The serial page of the interface dialog: port, baud rate, flow control and "Detect".
// The interface dialog fills the baud-rate and flow-control lists.
class CSerialConfigDlg : public ui::Dialog {
public:
  explicit CSerialConfigDlg(AppContext& context);

  bool OnInitDialog() override;
  void OnCommand(int id, int notifyCode) override;

  ui::ComboBox PortBox();
  ui::ComboBox BaudBox();
  ui::ComboBox FlowBox();

  // Probes the built-in serial ports and shows the first printer that answers.
  void OnDetect();
  // While a detection runs, input still gets through: the page must stay open meanwhile.
  bool IsDetecting() const { return detection_.running(); }

private:
  AppContext& context_;
  SerialDetection detection_;
};

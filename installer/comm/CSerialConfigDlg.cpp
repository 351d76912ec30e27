#include "comm/CSerialConfigDlg.h"

#include <string>

#include "comm/PortList.h"
#include "resource.h"

CSerialConfigDlg::CSerialConfigDlg(AppContext& context)
    : ui::Dialog(context.kit, IDD_SERIAL_PAGE), context_(context),
      detection_(context.platform, [this] { context_.kit.PumpMessages(); }) {}

bool CSerialConfigDlg::OnInitDialog() {
  FillPortBox(context_.platform.libraries, context_.platform.devices, PortBox(), kSerialPortRule);
  return true;
}

void CSerialConfigDlg::OnCommand(int id, int notifyCode) {
  if (id == IDC_DETECT && notifyCode == ui::cmd::Clicked) {
    OnDetect();
    return;
  }
  // A new port selection needs nothing: the interface dialog reads the box when it installs.
  if (id == IDC_PORT_COMBO) return;
  ui::Dialog::OnCommand(id, notifyCode);
}

ui::ComboBox CSerialConfigDlg::PortBox() { return GetComboBox(IDC_PORT_COMBO); }
ui::ComboBox CSerialConfigDlg::BaudBox() { return GetComboBox(IDC_BAUD_COMBO); }
ui::ComboBox CSerialConfigDlg::FlowBox() { return GetComboBox(IDC_FLOW_COMBO); }

void CSerialConfigDlg::OnDetect() {
  // Pressed again while the running detection lets input through.
  if (IsDetecting()) return;
  ui::WaitCursor wait(kit());
  std::string port;
  int baud = 0;
  switch (detection_.Run(port, baud)) {
    case SerialDetection::Outcome::Found:
      BaudBox().SetText(std::to_string(baud));
      PortBox().SetText(port);
      break;
    case SerialDetection::Outcome::NotFound:
      kit().AppMessageBox(kit().LoadText(IDS_DETECT_FAILED));
      break;
    case SerialDetection::Outcome::NoPorts:
    case SerialDetection::Outcome::Busy:
      break;
  }
}

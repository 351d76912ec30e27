#include "comm/CEthernetConfigDlg.h"

#include "resource.h"

CEthernetConfigDlg::CEthernetConfigDlg(AppContext& context, std::int32_t boardKind)
    : ui::Dialog(context.kit, IDD_ETHERNET_PAGE), boardKind_(boardKind) {}

bool CEthernetConfigDlg::OnInitDialog() {
  // "Setup..." opens the ethernet printers dialog, which this version does not have yet.
  GetButton(IDC_ETHERNET_SETUP).Enable(false);
  return true;
}

void CEthernetConfigDlg::OnCommand(int id, int notifyCode) {
  if (id == IDC_ETHERNET_SETUP) return;
  ui::Dialog::OnCommand(id, notifyCode);
}

ui::IpAddress CEthernetConfigDlg::IpControl() { return GetIpAddress(IDC_IP_ADDRESS); }

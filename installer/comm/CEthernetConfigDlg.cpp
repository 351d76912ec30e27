#include "comm/CEthernetConfigDlg.h"

#include "comm/CSetEthernetPrinters.h"
#include "resource.h"

CEthernetConfigDlg::CEthernetConfigDlg(AppContext& context, std::int32_t boardKind)
    : ui::Dialog(context.kit, IDD_ETHERNET_PAGE), context_(context), boardKind_(boardKind) {}

bool CEthernetConfigDlg::OnInitDialog() { return true; }

void CEthernetConfigDlg::OnCommand(int id, int notifyCode) {
  if (id == IDC_ETHERNET_SETUP && notifyCode == ui::cmd::Clicked) {
    OnSetup();
    return;
  }
  ui::Dialog::OnCommand(id, notifyCode);
}

void CEthernetConfigDlg::OnSetup() {
  CSetEthernetPrinters dialog(context_, boardKind_);
  if (dialog.DoModal() != ui::idres::Ok) return;
  IpControl().SetText(dialog.chosenIp);
  tcpPort = static_cast<std::int32_t>(dialog.tcpPort);
}

ui::IpAddress CEthernetConfigDlg::IpControl() { return GetIpAddress(IDC_IP_ADDRESS); }

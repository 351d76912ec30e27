#include "comm/CParallaleConfigDlg.h"

#include "comm/PortList.h"
#include "resource.h"

CParallaleConfigDlg::CParallaleConfigDlg(AppContext& context)
    : ui::Dialog(context.kit, IDD_PARALLEL_PAGE), context_(context) {}

bool CParallaleConfigDlg::OnInitDialog() {
  FillPortBox(context_.platform.libraries, context_.platform.devices, PortBox(), kParallelPortRule);
  return true;
}

ui::ComboBox CParallaleConfigDlg::PortBox() { return GetComboBox(IDC_PORT_COMBO); }

#include "app/CInterfaceConfigDlg.h"

#include "resource.h"

CInterfaceConfigDlg::CInterfaceConfigDlg(AppContext& context, std::string modelName, ui::Dialog* parent)
    : ui::Dialog(context.kit, IDD_INTERFACE_CONFIG, parent), modelName_(std::move(modelName)) {}

void CInterfaceConfigDlg::OnCommand(int id, int notifyCode) {
  if (id == IDC_BACK) {
    EndDialog(kBack);
    return;
  }
  ui::Dialog::OnCommand(id, notifyCode);
}

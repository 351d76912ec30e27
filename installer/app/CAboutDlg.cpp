#include "app/CAboutDlg.h"

#include "resource.h"

CAboutDlg::CAboutDlg(AppContext& context, ui::Dialog* parent) : ui::Dialog(context.kit, IDD_ABOUTBOX, parent) {}

bool CAboutDlg::OnInitDialog() {
  SetCaption(kit().LoadText(IDS_ABOUT_TITLE));
  return true;
}

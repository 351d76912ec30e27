#include "app/CPickOSType.h"

#include "engine/OsKind.h"
#include "resource.h"

namespace {
constexpr const char* kLabels[] = {"WIN 31", "WIN 95", "WIN 98", "WIN NT", "WIN 2K", "WIN XP", "WIN VISTA"};
constexpr OsKind kKinds[] = {kOsWin31, kOsWin95, kOsWin98, kOsWinNt4, kOsWin2000, kOsWinXp, kOsVistaOrLater};
}  // namespace

CPickOSType::CPickOSType(AppContext& context, ui::Dialog* parent)
    : ui::Dialog(context.kit, IDD_PICK_OS_TYPE, parent), osKind(kOsUnknown) {}

bool CPickOSType::OnInitDialog() {
  SetCaption(kit().LoadText(IDS_OS_TITLE));
  GetStatic(IDC_OS_TEXT).SetText(kit().LoadText(IDS_OS_TEXT));
  ui::ComboBox combo = GetComboBox(IDC_OS_COMBO);
  for (const char* label : kLabels) combo.AddString(label);
  return true;
}

void CPickOSType::OnOK() {
  const int selection = GetComboBox(IDC_OS_COMBO).GetCurSel();
  if (selection < 0 || selection >= static_cast<int>(std::size(kKinds))) {
    kit().AppMessageBox("Fatal Logic Error");
    throw ui::UserException{};
  }
  osKind = kKinds[selection];
  kit().transcript().Choice("os", kLabels[selection]);
  EndDialog(ui::idres::Ok);
}

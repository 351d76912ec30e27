#include "app/CSelectAction.h"

#include "resource.h"

CSelectAction::CSelectAction(AppContext& context) : ui::Dialog(context.kit, IDD_SELECT_ACTION) {}

std::string CSelectAction::FormatQuestion(const std::string& question, const std::string& existing,
                                          const std::string& replacement) {
  const std::string* arguments[] = {&existing, &replacement};
  std::size_t next = 0;
  std::string text;
  for (std::size_t i = 0; i < question.size(); ++i) {
    if (question[i] == '%' && i + 1 < question.size()) {
      if (question[i + 1] == 's' && next < std::size(arguments)) {
        text += *arguments[next++];
        ++i;
        continue;
      }
      if (question[i + 1] == '%') {
        text += '%';
        ++i;
        continue;
      }
    }
    text += question[i];
  }
  return text;
}

bool CSelectAction::OnInitDialog() {
  GetStatic(IDC_SELECT_ACTION_TEXT).SetText(FormatQuestion(kit().LoadText(IDS_SELECT_ACTION_TEXT), existingPort, newPort));
  return true;
}

void CSelectAction::OnCommand(int id, int notifyCode) {
  if (id == kNewPrinter || id == kChangePort) {
    EndDialog(id);
    return;
  }
  ui::Dialog::OnCommand(id, notifyCode);
}

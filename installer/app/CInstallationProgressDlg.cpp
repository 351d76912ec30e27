#include "app/CInstallationProgressDlg.h"

#include "resource.h"

namespace {

constexpr int kSteps = 6;
constexpr int kAllDone = 7;
constexpr int kCheckMarks[kSteps] = {IDC_STEP1_CHECK, IDC_STEP2_CHECK, IDC_STEP3_CHECK,
                                     IDC_STEP4_CHECK, IDC_STEP5_CHECK, IDC_STEP6_CHECK};

}  // namespace

CInstallationProgressDlg::CInstallationProgressDlg(AppContext& context)
    : ui::Dialog(context.kit, IDD_INSTALL_PROGRESS) {}

void CInstallationProgressDlg::ShowSteps(int k) {
  if (k < 1 || k > kAllDone) return;
  const int last = k == kAllDone ? kSteps : k;
  for (int step = stepsShown_ + 1; step <= last; ++step) {
    GetControl(kCheckMarks[step - 1]).Show(true);
    kit().transcript().Step(step);
    stepsShown_ = step;
  }
}

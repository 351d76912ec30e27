#include "app/CInstallationProgressDlg.h"

#include <iterator>

#include "engine/InstallerRecord.h"
#include "resource.h"

namespace {

constexpr int kCheckMarks[] = {IDC_STEP1_CHECK, IDC_STEP2_CHECK, IDC_STEP3_CHECK,
                               IDC_STEP4_CHECK, IDC_STEP5_CHECK, IDC_STEP6_CHECK};
constexpr int kSteps = static_cast<int>(std::size(kCheckMarks));

}  // namespace

CInstallationProgressDlg::CInstallationProgressDlg(AppContext& context)
    : ui::Dialog(context.kit, IDD_INSTALL_PROGRESS) {}

void CInstallationProgressDlg::ShowSteps(int k) {
  if (k < 1 || k > kProgressFinished) return;
  const int last = k == kProgressFinished ? kSteps : k;
  for (int step = stepsShown_ + 1; step <= last; ++step) {
    GetControl(kCheckMarks[step - 1]).Show(true);
    kit().transcript().Step(step);
    stepsShown_ = step;
  }
}

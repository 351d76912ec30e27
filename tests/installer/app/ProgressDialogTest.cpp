// The installation progress dialog: which check marks the worker's step shows, and the
// transcript lines they write.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/CInstallationProgressDlg.h"
#include "installer/InstallerTestSupport.h"
#include "resource.h"

namespace {

using installertest::AppHarness;
using ::testing::ElementsAre;

TEST(ProgressDialog, StepsShowTheirCheckMarksTopDownOnceEach) {
  const int marks[] = {IDC_STEP1_CHECK, IDC_STEP2_CHECK, IDC_STEP3_CHECK,
                       IDC_STEP4_CHECK, IDC_STEP5_CHECK, IDC_STEP6_CHECK};
  struct Case {
    int step;   // the worker's progress step
    int shown;  // check marks of steps 1 to this number show afterwards
  } cases[] = {{0, 0}, {2, 2}, {2, 2}, {5, 5}, {9, 5}, {3, 5}, {7, 6}, {-1, 6}};
  AppHarness app;
  CInstallationProgressDlg progress(app.context);
  ASSERT_TRUE(progress.CreateModeless(nullptr));
  for (int mark : marks) EXPECT_FALSE(progress.GetControl(mark).IsVisible()) << mark;
  progress.ShowWindow(true);
  for (const Case& c : cases) {
    progress.ShowSteps(c.step);
    EXPECT_EQ(progress.StepsShown(), c.shown) << "after step " << c.step;
    for (int i = 0; i < 6; ++i)
      EXPECT_EQ(progress.GetControl(marks[i]).IsVisible(), i < c.shown) << "after step " << c.step << ", mark " << i + 1;
  }
  EXPECT_THAT(app.transcript.lines, ElementsAre("dialog 153 \"Installation status\"", "step 1", "step 2", "step 3",
                                                "step 4", "step 5", "step 6"));
}

}  // namespace

// Modeless dialogs of the kit on real windows, the paint-only pump, and the installation
// progress dialog built on them.
#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

#include "GuiTestSupport.h"
#include "app/CInstallationProgressDlg.h"
#include "platform/win32/Win32Platform.h"
#include "resource.h"
#include "ui/win32/Win32Kit.h"

using kvxtest::Click;
using kvxtest::HasStyle;
using kvxtest::Item;
using kvxtest::ProbeDialog;
using kvxtest::TextOf;

namespace {

constexpr int kTestCommand = 4242;

HWND WindowOf(const ui::Dialog& dialog) { return static_cast<HWND>(ui::win32::Win32Kit::WindowHandle(dialog)); }

TEST(Win32KitModeless, OwnedModelessDialogShowsBesideTheModalRunAndGoesWhenDestroyed) {
  ui::win32::Win32Kit kit;
  ui::RecordingTranscript transcript;
  kit.SetTranscript(transcript);
  ProbeDialog dialog(kit, IDD_INTERFACE_CONFIG);
  ProbeDialog status(kit, IDD_INSTALL_PROGRESS), owned(kit, IDD_INSTALL_PROGRESS);
  bool created = false, hiddenAtFirst = false;
  dialog.command = [&](ProbeDialog& d, int id, int) {
    if (id == IDC_BACK) {
      created = status.CreateModeless(&d) && owned.CreateModeless(&d);
      hiddenAtFirst = !status.IsWindowShown();
      status.ShowWindow(true);
      owned.ShowWindow(true);
    }
    if (id == IDC_INSTALL_PRINTER) status.DestroyWindow();
    return id == IDC_BACK || id == IDC_INSTALL_PRINTER;
  };
  HWND windows[2] = {};
  std::thread user([&] {
    HWND dlg = dialog.ready.Wait();
    ASSERT_NE(dlg, nullptr) << "the dialog never came up";
    Click(dlg, IDC_BACK);
    HWND modeless = windows[0] = status.ready.Wait(0);
    windows[1] = owned.ready.Wait(0);
    ASSERT_TRUE(modeless && windows[1]);
    EXPECT_EQ(GetWindow(modeless, GW_OWNER), dlg);
    EXPECT_FALSE(HasStyle(modeless, WS_CHILD));
    EXPECT_TRUE(IsWindowVisible(modeless));
    EXPECT_EQ(TextOf(modeless), "Installation status");
    EXPECT_TRUE(IsWindowEnabled(dlg)) << "a modeless dialog leaves its owner usable";
    Click(dlg, IDC_INSTALL_PRINTER);
    EXPECT_FALSE(IsWindow(modeless));
    EXPECT_TRUE(IsWindow(windows[1]));
    Click(dlg, IDCANCEL);
  });
  EXPECT_EQ(dialog.DoModal(), ui::idres::Cancel);
  user.join();

  EXPECT_TRUE(created);
  EXPECT_TRUE(hiddenAtFirst) << "its template is not visible";
  EXPECT_EQ(status.Window(), nullptr);
  EXPECT_EQ(owned.Window(), nullptr) << "an owned modeless dialog goes with its owner";
  EXPECT_FALSE(IsWindow(windows[1]));
  EXPECT_EQ(transcript.lines, (std::vector<std::string>{"dialog 149 \"Printer installation port\"",
                                                        "dialog 153 \"Installation status\"",
                                                        "dialog 153 \"Installation status\""}));
}

// What the installation run's wait relies on: its windows are drawn while input waits.
TEST(Win32KitModeless, PaintPumpDrawsButLeavesInputQueuedAndTheDestructorDestroys) {
  ui::win32::Win32Kit kit;
  HWND hwnd = nullptr;
  {
    ProbeDialog alone(kit, IDD_INSTALL_PROGRESS);
    alone.command = [](ProbeDialog&, int id, int) { return id == kTestCommand; };
    ASSERT_TRUE(alone.CreateModeless(nullptr));
    hwnd = WindowOf(alone);
    EXPECT_EQ(GetWindow(hwnd, GW_OWNER), nullptr);
    alone.ShowWindow(true);
    PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(kTestCommand, 0), 0);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
    int painted = 0;
    while (painted < 100 && kit.PumpPaintMessages()) ++painted;
    EXPECT_GT(painted, 0);
    EXPECT_LT(painted, 100);
    EXPECT_FALSE(GetUpdateRect(hwnd, nullptr, FALSE)) << "nothing left to paint";
    EXPECT_TRUE(alone.commands.empty()) << "the command waits in the queue";
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, hwnd, WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
  }
  EXPECT_FALSE(IsWindow(hwnd)) << "the destructor destroys the window";
}

TEST(Win32KitModeless, FailuresInAModelessDialogReachTheCaller) {
  ui::win32::Win32Kit kit;
  const auto failing = [](ProbeDialog&, int id, int) -> bool {
    if (id == kTestCommand) throw std::runtime_error("modeless failed");
    return false;
  };
  {
    ProbeDialog broken(kit, IDD_INSTALL_PROGRESS);
    HWND made = nullptr;
    broken.init = [&](ProbeDialog& d) {
      made = WindowOf(d);
      throw std::runtime_error("init failed");
    };
    EXPECT_THROW(broken.CreateModeless(nullptr), std::runtime_error);
    EXPECT_EQ(broken.Window(), nullptr);
    EXPECT_FALSE(IsWindow(made)) << "no half-initialised window stays";
  }
  {
    // Inside a modal run: the run ends and throws it.
    ProbeDialog dialog(kit, IDD_INTERFACE_CONFIG), status(kit, IDD_INSTALL_PROGRESS);
    status.command = failing;
    dialog.init = [&](ProbeDialog& d) {
      status.CreateModeless(&d);
      status.ShowWindow(true);
    };
    std::thread user([&] {
      if (HWND shown = status.ready.Wait()) SendMessageA(shown, WM_COMMAND, MAKEWPARAM(kTestCommand, 0), 0);
    });
    EXPECT_THROW(dialog.DoModal(), std::runtime_error);
    user.join();
    EXPECT_EQ(status.Window(), nullptr);
  }
  {
    // Without one: the next pump throws it.
    ProbeDialog alone(kit, IDD_INSTALL_PROGRESS);
    alone.command = failing;
    alone.CreateModeless(nullptr);
    PostMessageA(WindowOf(alone), WM_COMMAND, MAKEWPARAM(kTestCommand, 0), 0);
    EXPECT_THROW(kit.PumpMessages(), std::runtime_error);
    EXPECT_NO_THROW(kit.PumpMessages()) << "thrown once";
  }
}

TEST(Win32ProgressDialog, CheckMarksShowPerStepWithTheirBitmap) {
  const int marks[] = {IDC_STEP1_CHECK, IDC_STEP2_CHECK, IDC_STEP3_CHECK,
                       IDC_STEP4_CHECK, IDC_STEP5_CHECK, IDC_STEP6_CHECK};
  platform::win32::Win32Platform system;
  platform::Platform os = system.platform();
  ui::win32::Win32Kit kit;
  AppContext context{os, kit};
  CInstallationProgressDlg progress(context);
  ASSERT_TRUE(progress.CreateModeless(nullptr));
  progress.ShowWindow(true);
  HWND hwnd = WindowOf(progress);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  for (int mark : marks) {
    BITMAP bitmap{};
    const auto image = reinterpret_cast<HBITMAP>(SendMessageA(Item(hwnd, mark), STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(image, nullptr) << mark;
    GetObjectA(image, sizeof(bitmap), &bitmap);
    EXPECT_EQ(std::make_pair(bitmap.bmWidth, bitmap.bmHeight), std::make_pair(15L, 15L)) << mark;
  }
  struct Case {
    int step, shown;
  } cases[] = {{0, 0}, {3, 3}, {9, 3}, {7, 6}};
  for (const Case& c : cases) {
    progress.ShowSteps(c.step);
    for (int i = 0; i < 6; ++i)
      EXPECT_EQ(IsWindowVisible(Item(hwnd, marks[i])) != 0, i < c.shown) << "step " << c.step << ", mark " << i + 1;
  }
}

}  // namespace

#include "ui/headless/HeadlessKit.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ui/headless/HeadlessWindow.h"
#include "ui/headless/TestDialogs.h"

namespace ui::headless::testing {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class HeadlessKitTest : public ::testing::Test, public HeadlessFixture {};

TEST_F(HeadlessKitTest, ScriptSeesTheShownDialogAndItsResultIsReturned) {
  TestDialog dialog(kit, kMain);
  dialog.onInit = [](TestDialog& d) { d.SetCaption("Main, initialised"); };
  bool ran = false;
  user.OnDialog(kMain, [&](DialogDriver& driver) {
    ran = true;
    EXPECT_TRUE(driver.IsShown());
    EXPECT_EQ(driver.Caption(), "Main, initialised");
    driver.Click(idres::Ok);
    EXPECT_FALSE(driver.IsRunning());
  });
  EXPECT_EQ(dialog.DoModal(), idres::Ok);
  EXPECT_TRUE(ran);
  EXPECT_FALSE(dialog.IsRunning());  // detached when it ended
  EXPECT_THAT(transcript.lines, ElementsAre("dialog 500 \"Main, initialised\"", "user click 1 \"OK\""));
}

TEST_F(HeadlessKitTest, UnscriptedDialogIsClosedLikeTheCloseBox) {
  TestDialog dialog(kit, kMain);
  EXPECT_EQ(dialog.DoModal(), idres::Cancel);
  EXPECT_THAT(dialog.log, ElementsAre("command 2 0"));

  // Even a dialog that ignores Cancel ends, with Cancel.
  TestDialog stubborn(kit, kMain);
  stubborn.onCancel = [](TestDialog&) {};
  EXPECT_EQ(stubborn.DoModal(), idres::Cancel);
  EXPECT_THAT(stubborn.log, ElementsAre("command 2 0"));
}

TEST_F(HeadlessKitTest, ScriptsForATemplateAreUsedInOrderThenTheStandingOne) {
  user.OnDialog(kInner, [](DialogDriver& d) { d.Click(idres::Ok); });
  user.OnDialog(kInner, [](DialogDriver& d) { d.Close(); });
  user.OnEveryDialog(kInner, [](DialogDriver& d) { d.dialog().EndDialog(42); });
  EXPECT_EQ(user.PendingDialogScripts(), 2u);
  std::vector<intptr_t> results;
  for (int i = 0; i < 4; ++i) {
    TestDialog inner(kit, kInner);
    results.push_back(inner.DoModal());
  }
  EXPECT_THAT(results, ElementsAre(idres::Ok, idres::Cancel, 42, 42));
  EXPECT_EQ(user.PendingDialogScripts(), 0u);
}

TEST_F(HeadlessKitTest, DialogEndedDuringInitIsNeverShownNorScripted) {
  TestDialog dialog(kit, kMain);
  dialog.onInit = [](TestDialog& d) { d.EndDialog(7); };
  user.OnDialog(kMain, [](DialogDriver&) { FAIL() << "script ran"; });
  EXPECT_EQ(dialog.DoModal(), 7);
  EXPECT_TRUE(transcript.lines.empty());
  EXPECT_EQ(user.PendingDialogScripts(), 1u);
}

TEST_F(HeadlessKitTest, DialogLineIsWrittenEachTimeTheWindowBecomesVisible) {
  TestDialog hidden(kit, kMain);
  hidden.onInit = [](TestDialog& d) {
    d.ShowWindow(true);
    d.ShowWindow(false);  // the last request during init counts
  };
  user.OnDialog(kMain, [&](DialogDriver& u) {
    EXPECT_FALSE(u.IsShown());
    EXPECT_THROW(u.Click(idres::Ok), std::logic_error);  // nobody can click a hidden dialog
    hidden.ShowWindow(true);
    hidden.ShowWindow(true);  // already visible: no second line
    hidden.ShowWindow(false);
    hidden.SetCaption("Again");
    hidden.ShowWindow(true);
    u.Click(idres::Ok);
  });
  EXPECT_EQ(hidden.DoModal(), idres::Ok);
  EXPECT_THAT(transcript.lines, ElementsAre("dialog 500 \"Main\"", "dialog 500 \"Again\"", "user click 1 \"OK\""));
}

TEST_F(HeadlessKitTest, DialogThatStaysHiddenGetsNoLine) {
  TestDialog hidden(kit, kMain);
  hidden.onInit = [](TestDialog& d) { d.ShowWindow(false); };
  EXPECT_EQ(hidden.DoModal(), idres::Cancel);
  EXPECT_TRUE(transcript.lines.empty());
}

TEST_F(HeadlessKitTest, NestedModalDialogRunsItsOwnScriptAndBlocksTheOuterOne) {
  TestDialog outer(kit, kMain);
  intptr_t innerResult = 0;
  outer.onCommand = [&](TestDialog& d, int id, int) {
    if (id != 1061) return;
    TestDialog inner(kit, kInner, &d);
    innerResult = inner.DoModal();
    d.SetCaption("after inner");
  };
  DialogDriver* outerDriver = nullptr;
  user.OnDialog(kMain, [&](DialogDriver& u) {
    outerDriver = &u;
    u.Click(1061);
    EXPECT_EQ(u.Caption(), "after inner");
    u.Click(idres::Ok);
  });
  user.OnDialog(kInner, [&](DialogDriver& u) {
    EXPECT_EQ(u.Text(1100), "Inner text");
    EXPECT_THROW(outerDriver->Click(idres::Ok), std::logic_error);  // behind the modal dialog
    EXPECT_TRUE(outerDriver->IsRunning());
    u.Click(idres::Cancel);
  });
  EXPECT_EQ(outer.DoModal(), idres::Ok);
  EXPECT_EQ(innerResult, idres::Cancel);
  EXPECT_THAT(transcript.lines,
              ElementsAre("dialog 500 \"Main\"", "user click 1061 \"&Open inner\"", "dialog 501 \"Inner\"",
                          "user click 2 \"Cancel\"", "user click 1 \"OK\""));
}

TEST_F(HeadlessKitTest, ModelessDialogShowsBesideTheModalOnesWithoutTakingTheUser) {
  TestDialog main(kit, kMain), status(kit, kStatus), owned(kit, kStatus);
  main.onCommand = [&](TestDialog& d, int id, int) {
    if (id == 1061) TestDialog(kit, kInner, &d).DoModal();
  };
  user.OnDialog(kMain, [&](DialogDriver& u) {
    ASSERT_TRUE(status.CreateModeless(&main));
    EXPECT_FALSE(status.IsWindowShown()) << "hidden until shown: its template is not visible";
    status.ShowWindow(true);
    EXPECT_EQ(kit.ActiveWindow()->TemplateId(), kMain) << "the user still acts on the modal dialog";
    user.OnPumpMessages([](DialogDriver& pumped) { EXPECT_EQ(pumped.TemplateId(), kMain); });
    EXPECT_TRUE(kit.PumpMessages());
    u.Click(1061);  // a modal dialog run while the modeless one is up
    status.GetStatic(1200).SetText("Still here");
    status.DestroyWindow();
    EXPECT_FALSE(status.IsRunning());
    EXPECT_THROW(status.ShowWindow(true), std::logic_error);
    owned.CreateModeless(&main);
    u.Click(idres::Ok);
  });
  user.OnDialog(kInner, [&](DialogDriver& u) {
    EXPECT_EQ(kit.ActiveWindow()->TemplateId(), kInner);
    u.Click(idres::Ok);
  });
  EXPECT_EQ(main.DoModal(), idres::Ok);
  EXPECT_FALSE(owned.IsRunning()) << "an owned modeless dialog goes with its owner";
  {
    TestDialog alone(kit, kStatus);
    alone.CreateModeless(nullptr);
    alone.ShowWindow(true);
    user.OnPumpMessages([](DialogDriver&) { FAIL() << "nobody acts on a modeless dialog"; });
    EXPECT_FALSE(kit.PumpMessages());
    EXPECT_NE(kit.FindModeless(kStatus), nullptr);
  }
  EXPECT_EQ(kit.FindModeless(kStatus), nullptr) << "the destructor destroys the window";
  EXPECT_THAT(transcript.lines,
              ElementsAre("dialog 500 \"Main\"", "dialog 502 \"Status\"", "user click 1061 \"&Open inner\"",
                          "dialog 501 \"Inner\"", "user click 1 \"OK\"", "user click 1 \"OK\"",
                          "dialog 502 \"Status\""));
}

TEST_F(HeadlessKitTest, UserExceptionFromAHandlerIsAbsorbedAndTheDialogStaysOpen) {
  TestDialog dialog(kit, kMain);
  dialog.onCommand = [](TestDialog&, int id, int) {
    if (id == 1061) throw UserException{};
  };
  user.OnDialog(kMain, [](DialogDriver& u) {
    u.Click(1061);
    EXPECT_TRUE(u.IsRunning());
    EXPECT_TRUE(u.IsShown());
    u.Click(idres::Ok);
  });
  EXPECT_EQ(dialog.DoModal(), idres::Ok);
}

TEST_F(HeadlessKitTest, OtherExceptionsFromAScriptLeaveTheDialogDetached) {
  TestDialog dialog(kit, kMain);
  user.OnDialog(kMain, [](DialogDriver& u) { u.Click(1060); });  // disabled
  EXPECT_THROW(dialog.DoModal(), std::logic_error);
  EXPECT_FALSE(dialog.IsRunning());
}

TEST_F(HeadlessKitTest, ProgrammingErrorsAreLogicErrorsNamingDialogAndControl) {
  TestDialog missingTemplate(kit, 999);
  EXPECT_THROW(missingTemplate.DoModal(), std::logic_error);

  TestDialog dialog(kit, kMain);
  std::string message;
  dialog.onInit = [&](TestDialog& d) {
    try {
      d.GetButton(4242).SetCheck(bst::Checked);
    } catch (const std::logic_error& e) {
      message = e.what();
    }
    EXPECT_THROW(d.GetListView(1001).GetItemCount(), std::logic_error);  // a radio button
    EXPECT_THROW(d.GetComboBox(1030).GetCount(), std::logic_error);      // a list view
  };
  dialog.DoModal();
  EXPECT_THAT(message, AllOf(HasSubstr("dialog 500"), HasSubstr("4242")));
}

TEST_F(HeadlessKitTest, MessageBoxesGetTheDefaultButtonWithoutAnAnswer) {
  struct Case {
    unsigned type;
    int answer;
  } cases[] = {{mb::Ok, idres::Ok},         {mb::OkCancel, idres::Ok},       {mb::YesNo, idres::Yes},
               {mb::YesNoCancel, idres::Yes}, {mb::RetryCancel, idres::Retry}, {mb::AbortRetryIgnore, idres::Abort}};
  for (const auto& c : cases) EXPECT_EQ(kit.ShowMessageBox(nullptr, "text", "cap", c.type | mb::IconError), c.answer);
  ASSERT_EQ(kit.MessageBoxes().size(), 6u);
  EXPECT_EQ(kit.MessageBoxes()[2].type, mb::YesNo | mb::IconError);
  EXPECT_EQ(transcript.lines[0], "message \"cap\" \"text\" -> OK");
  EXPECT_EQ(transcript.lines[5], "message \"cap\" \"text\" -> Abort");
}

TEST_F(HeadlessKitTest, MessageBoxAnswersComeFromTheQueueThenTheStandingAnswer) {
  user.OnMessageBox(idres::No);
  user.OnMessageBox([](const std::string& caption, const std::string& text, unsigned) {
    EXPECT_EQ(caption, "App");
    EXPECT_EQ(text, "Second?");
    return idres::Cancel;
  });
  user.OnEveryMessageBox([](const std::string&, const std::string& text, unsigned) {
    return text == "Retry?" ? idres::Retry : 0;  // 0: the default
  });
  kit.SetAppName("App");
  EXPECT_EQ(kit.AppMessageBox("First?", mb::YesNo), idres::No);
  EXPECT_EQ(kit.AppMessageBox("Second?", mb::YesNoCancel), idres::Cancel);
  EXPECT_EQ(kit.AppMessageBox("Retry?", mb::AbortRetryIgnore), idres::Retry);
  EXPECT_EQ(kit.AppMessageBox("Other", mb::YesNo), idres::Yes);
  EXPECT_EQ(user.PendingMessageBoxAnswers(), 0u);
  EXPECT_EQ(kit.MessageBoxes()[1].answer, idres::Cancel);
  EXPECT_EQ(transcript.lines[1], "message \"App\" \"Second?\" -> Cancel");
}

TEST_F(HeadlessKitTest, AnswerThatIsNotAButtonOfTheBoxIsRejected) {
  user.OnMessageBox(idres::Yes);
  EXPECT_THROW(kit.ShowMessageBox(nullptr, "Done.", "App", mb::Ok), std::logic_error);
}

TEST_F(HeadlessKitTest, MessageBoxFromAHandlerIsAnsweredDuringTheScript) {
  TestDialog dialog(kit, kMain);
  int answer = 0;
  dialog.onCommand = [&](TestDialog& d, int id, int) {
    if (id == 1061) answer = d.ShowMessageBox("Sure?", "Main", mb::YesNo | mb::IconQuestion);
  };
  user.OnMessageBox(idres::No);
  user.OnDialog(kMain, [](DialogDriver& u) { u.Click(1061); });
  dialog.DoModal();
  EXPECT_EQ(answer, idres::No);
  EXPECT_THAT(transcript.lines, ElementsAre("dialog 500 \"Main\"", "user click 1061 \"&Open inner\"",
                                            "message \"Main\" \"Sure?\" -> No"));
}

// Texts are Windows-1252 inside, as LoadStringA gives them, and UTF-8 in the transcript.
TEST(HeadlessKitLanguage, TemplatesAndTextsFollowTheKitLanguageWithEnglishFallback) {
  HeadlessFixture pt(kPortuguese);
  EXPECT_EQ(pt.kit.LoadText(10), "Ol\xE1");
  EXPECT_EQ(pt.kit.LoadText(11), "Only English");
  EXPECT_EQ(pt.kit.LoadText(12), "");
  TestDialog inner(pt.kit, kInner);
  pt.user.OnDialog(kInner, [](DialogDriver& u) {
    EXPECT_EQ(u.Caption(), "Di\xE1logo interno");
    EXPECT_FALSE(u.HasControl(1100));
  });
  inner.DoModal();
  EXPECT_EQ(pt.transcript.lines.front(), "dialog 501 \"Diálogo interno\"");
  EXPECT_FALSE(pt.kit.PumpMessages());
}

}  // namespace
}  // namespace ui::headless::testing

// --find-boards and --set-board on the simulated machine's network (its default boards: a Lindor
// board 02-00-4B-56-58-30 at 192.0.2.50 and an Ostrel board 02-00-4B-56-58-31 at 192.0.2.51).
#include <gtest/gtest.h>

#include "installer/InstallerTestSupport.h"

namespace {

const std::string kLindor = "02:00:4B:56:58:30 192.0.2.50 255.255.255.0 192.0.2.1 9100 static";
const std::string kOstrel = "02:00:4B:56:58:31 192.0.2.51 255.255.255.0 192.0.2.1 9100 static";

struct CommandCase {
  const char* name;
  std::vector<std::string> args;
  int code;
  std::vector<std::string> out;
  std::string errPart;  // a part of standard error, or "" for none expected
};

class BoardCommands : public ::testing::TestWithParam<CommandCase> {};

TEST_P(BoardCommands, PrintAndEndAsTheUserAsked) {
  const CommandCase& c = GetParam();
  installertest::ProgramRun run;
  EXPECT_EQ(run.Execute(c.args), c.code) << run.err.str();
  EXPECT_EQ(run.OutLines(), c.out);
  if (!c.errPart.empty()) {
    EXPECT_NE(run.err.str().find(c.errPart), std::string::npos) << run.err.str();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BoardCommands,
    ::testing::Values(
        CommandCase{"BothKindsOstrelFirst", {"--find-boards"}, 0, {kOstrel, kLindor}, ""},
        CommandCase{"OneKind", {"--find-boards", "--kind", "lindor"}, 0, {kLindor}, ""},
        CommandCase{"LindorWithDashesInAnyCase",
                    {"--set-board", "02-00-4b-56-58-30", "--board-ip", "192.0.2.60", "--board-port", "9101",
                     "--board-dhcp", "on"},
                    0, {"sent 02:00:4B:56:58:30 192.0.2.60 255.255.255.0 192.0.2.1 9101 dhcp"},
                    "sending the settings to 02:00:4B:56:58:30, then waiting"},
        CommandCase{"OstrelKeepsWhatIsNotGiven",
                    {"--set-board", "02:00:4B:56:58:31", "--kind", "ostrel", "--board-gateway", "192.0.2.254"},
                    0, {"sent 02:00:4B:56:58:31 192.0.2.51 255.255.255.0 192.0.2.254 9100 static"}, ""},
        CommandCase{"OstrelDhcpCannotChange", {"--set-board", "02:00:4B:56:58:31", "--board-dhcp", "on"}, 2, {},
                    "DHCP"},
        CommandCase{"NoSuchBoard", {"--set-board", "02:00:4B:56:58:99", "--board-ip", "192.0.2.60"}, 1, {},
                    "not found"},
        CommandCase{"WrongKind", {"--set-board", "02:00:4B:56:58:30", "--kind", "ostrel", "--board-ip", "192.0.2.60"},
                    1, {}, "not found"},
        CommandCase{"FirstOctetZeroRefused", {"--set-board", "02:00:4B:56:58:30", "--board-ip", "0.1.2.3"}, 1, {},
                    "refused"},
        CommandCase{"MixedSeparators", {"--set-board", "02:00-4B:56:58:30", "--board-ip", "192.0.2.60"}, 2, {},
                    "not a MAC address"},
        CommandCase{"NothingToSet", {"--set-board", "02:00:4B:56:58:30"}, 2, {}, "at least one"},
        CommandCase{"BothCommands", {"--find-boards", "--set-board", "02:00:4B:56:58:30"}, 2, {}, "give one"},
        CommandCase{"UnknownKind", {"--find-boards", "--kind", "other"}, 2, {}, "--kind"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(BoardCommandsTest, ChangedBoardAnswersTheNextSearchAndIsSaved) {
  installertest::ProgramRun run;
  ASSERT_EQ(run.Execute({"--set-board", "02:00:4B:56:58:30", "--board-ip", "198.51.100.7", "--board-mask",
                         "255.255.0.0"}),
            0)
      << run.err.str();
  ASSERT_EQ(run.Execute({"--find-boards", "--kind", "lindor"}), 0);
  EXPECT_EQ(run.OutLines(),
            std::vector<std::string>{"02:00:4B:56:58:30 198.51.100.7 255.255.0.0 192.0.2.1 9100 static"});
  EXPECT_EQ(run.machine->document()["boards"][0]["ip"], "198.51.100.7");
}

}  // namespace

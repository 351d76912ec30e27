#include <gtest/gtest.h>

#include "app/ProgramOptions.h"

namespace {

struct FlagCase {
  std::vector<std::string> args;
  bool noScalable, noPaper, hidden;
};

class CommandLineFlags : public ::testing::TestWithParam<FlagCase> {};

TEST_P(CommandLineFlags, SetExactlyTheNamedFlags) {
  const FlagCase& c = GetParam();
  CCustomCommandLineInfo info;
  ParseCommandLine(c.args, info);
  EXPECT_EQ(info.noScalable, c.noScalable);
  EXPECT_EQ(info.noPaper, c.noPaper);
  EXPECT_EQ(info.hidden, c.hidden);
  // The full option parser must hand the same words to the flags.
  const ProgramOptions options = ParseProgramOptions(c.args);
  EXPECT_EQ(options.flags.noScalable, c.noScalable);
  EXPECT_EQ(options.flags.noPaper, c.noPaper);
  EXPECT_EQ(options.flags.hidden, c.hidden);
  EXPECT_TRUE(options.error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Words, CommandLineFlags,
    ::testing::Values(FlagCase{{}, false, false, false}, FlagCase{{"ns"}, true, false, false},
                      FlagCase{{"/ns"}, true, false, false}, FlagCase{{"-noscalable"}, true, false, false},
                      FlagCase{{"np"}, false, true, false}, FlagCase{{"/nopaper"}, false, true, false},
                      FlagCase{{"-np"}, false, true, false}, FlagCase{{"hidden"}, false, false, true},
                      FlagCase{{"/hidden"}, false, false, true}, FlagCase{{"-hidden"}, false, false, true},
                      // Letter case matters and only one leading mark is taken off.
                      FlagCase{{"HIDDEN", "/NS", "-Np"}, false, false, false},
                      FlagCase{{"--hidden", "//ns"}, false, false, false},
                      FlagCase{{"/ns", "np", "-hidden", "whatever", "/x"}, true, true, true}));

TEST(ProgramOptions, UnattendedOptionsDoNotDisturbTheFlags) {
  const ProgramOptions options =
      ParseProgramOptions({"--unattended", "--model", "RQ-7200 TH", "/hidden", "--width", "48", "--driver=reduced"});
  EXPECT_TRUE(options.unattended);
  EXPECT_EQ(options.model, "RQ-7200 TH");
  EXPECT_EQ(options.width, "48");
  EXPECT_EQ(options.driver, "reduced");
  EXPECT_TRUE(options.flags.hidden);
}

TEST(ProgramOptions, ModelNamedLikeAFlagIsOnlyAModel) {
  const ProgramOptions options = ParseProgramOptions({"--model", "hidden"});
  EXPECT_EQ(options.model, "hidden");
  EXPECT_FALSE(options.flags.hidden);
}

TEST(ProgramOptions, UnknownArgumentsAreIgnored) {
  const ProgramOptions options = ParseProgramOptions({"--frobnicate", "7", "-h", "/?", "--list-models"});
  EXPECT_TRUE(options.error.empty());
  EXPECT_TRUE(options.listModels);
  EXPECT_FALSE(options.help);
}

TEST(ProgramOptions, BadValuesOfOwnOptionsAreErrors) {
  EXPECT_FALSE(ParseProgramOptions({"--driver", "fast"}).error.empty());
  EXPECT_FALSE(ParseProgramOptions({"--width", "58"}).error.empty());
  EXPECT_TRUE(WantsConsoleOutput(ParseProgramOptions({"--width", "58"})));
  EXPECT_FALSE(WantsConsoleOutput(ParseProgramOptions({"hidden"})));
}

}  // namespace

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
                      FlagCase{{"//hidden", "//ns"}, false, false, false},
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

TEST(ProgramOptions, UnknownPlainArgumentsAreIgnored) {
  const ProgramOptions options = ParseProgramOptions({"frobnicate", "7", "-h", "/?", "--list-models"});
  EXPECT_TRUE(options.error.empty());
  EXPECT_TRUE(options.listModels);
  EXPECT_FALSE(options.help);
}

struct RefusalCase {
  std::vector<std::string> args;
  std::string error;  // the whole message; empty: accepted
};

class CommandLineRefusals : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(CommandLineRefusals, NameTheFaultInOneLine) {
  EXPECT_EQ(ParseProgramOptions(GetParam().args).error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    Options, CommandLineRefusals,
    ::testing::Values(
        RefusalCase{{"--modle", "VT5000"}, "unknown option --modle (did you mean --model?)"},
        RefusalCase{{"--baudrate", "9600"}, "unknown option --baudrate (did you mean --baud?)"},
        RefusalCase{{"--frobnicate", "7"}, "unknown option --frobnicate"},
        RefusalCase{{"--hidden"}, "unknown option --hidden"},
        RefusalCase{{"--machine", "m", "--test-page"}, "--test-page needs a value"},
        RefusalCase{{"--model", "--list-models"}, "--model needs a value"},
        RefusalCase{{"--port", "-hidden"}, "--port needs a value"},
        RefusalCase{{"--machine", "a", "--machine=b"}, "--machine is given more than once"},
        RefusalCase{{"--baud", "0"}, "--baud: \"0\" is not a whole number from 110 to 921600"},
        RefusalCase{{"--baud", "fast"}, "--baud: \"fast\" is not a whole number from 110 to 921600"},
        RefusalCase{{"--baud", "12345678"}, "--baud: \"12345678\" is not a whole number from 110 to 921600"},
        RefusalCase{{"--baud", "96000000000"}, "--baud: \"96000000000\" is not a whole number from 110 to 921600"},
        RefusalCase{{"--baud", "-9600"}, "--baud: \"-9600\" is not a whole number from 110 to 921600"},
        RefusalCase{{"--baud", "110"}, ""}, RefusalCase{{"--baud=921600"}, ""},
        RefusalCase{{"--tcp-port", "0"}, "--tcp-port: \"0\" is not a whole number from 1 to 65535"},
        RefusalCase{{"--tcp-port", "65536"}, "--tcp-port: \"65536\" is not a whole number from 1 to 65535"},
        RefusalCase{{"--tcp-port", "65535"}, ""},
        RefusalCase{{"--ip", "0.0.0.0"}, "--ip: 0.0.0.0 cannot be a printer's address"},
        RefusalCase{{"--ip", "255.255.255.255"}, "--ip: 255.255.255.255 cannot be a printer's address"},
        RefusalCase{{"--ip", "192.0.2"}, "--ip: \"192.0.2\" is not an IP address A.B.C.D"},
        RefusalCase{{"--ip", "192.0.2.7"}, ""},
        RefusalCase{{"--port", "COM1", "--type-port", "COM1"}, "--port and --type-port both choose the port: give one"},
        RefusalCase{{"--detect", "--type-port", "COM9"}, "--detect and --type-port both choose the port: give one"},
        RefusalCase{{"--interface", "ethernet", "--type-port", "COM9"}, "--type-port is not used by the ethernet interface"}));

TEST(ProgramOptions, BadValuesOfOwnOptionsAreErrors) {
  EXPECT_FALSE(ParseProgramOptions({"--driver", "fast"}).error.empty());
  EXPECT_FALSE(ParseProgramOptions({"--width", "58"}).error.empty());
  EXPECT_TRUE(WantsConsoleOutput(ParseProgramOptions({"--width", "58"})));
  EXPECT_FALSE(WantsConsoleOutput(ParseProgramOptions({"hidden"})));
}

}  // namespace

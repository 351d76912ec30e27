// The profile cases every backend must answer alike, run against the simulated machine.
#include <gtest/gtest.h>

#include "platform/cases/ProfileCases.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace cases {
// Keeps the generated test names short: the case's name says it all.
inline void PrintTo(const ProfileCase& c, std::ostream* os) { *os << c.name; }
}  // namespace cases

namespace {

class SimProfileCasesTest : public testing::TestWithParam<cases::ProfileCase> {};

TEST_P(SimProfileCasesTest, AnswersLikeWindows) {
  const cases::ProfileCase& c = GetParam();
  auto machine = platform::sim::SimMachine::InMemory();
  const std::string fileName = "C:\\cases\\" + c.name + ".ini";
  if (c.content) simtest::WriteFile(machine->driveC() / "cases" / (c.name + ".ini"), *c.content);

  std::vector<char> buffer(c.bufferSize, '\x7F');
  const platform::DWORD result =
      c.sectionCall ? machine->profile().GetPrivateProfileSectionA(c.section, buffer, fileName)
                    : machine->profile().GetPrivateProfileStringA(c.section, c.key, c.defaultValue, buffer, fileName);

  EXPECT_EQ(result, c.expectedReturn);
  ASSERT_LE(c.expected.size(), buffer.size());
  EXPECT_EQ(std::string(buffer.data(), c.expected.size()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SimProfileCasesTest, testing::ValuesIn(cases::ProfileCases()),
                         [](const testing::TestParamInfo<cases::ProfileCase>& paramInfo) { return paramInfo.param.name; });

}  // namespace

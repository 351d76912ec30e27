// The system profile of the simulated machine: C:\Windows\win.ini, changed as WriteProfileStringA
// changes it, and kept from standard users.
#include <gtest/gtest.h>

#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace {

TEST(SimSystemProfile, WriteSetsOneEntryAndKeepsTheRest) {
  struct Row {
    const char* name;
    std::optional<std::string> before;
    std::string after;
  };
  const Row rows[] = {
      {"NoFile", std::nullopt, "[Ports]\r\nLPT1:=\r\n"},
      {"AfterLastEntry", "[Ports]\r\nCOM1:=9600,n,8,1\r\n", "[Ports]\r\nCOM1:=9600,n,8,1\r\nLPT1:=\r\n"},
      {"BeforeBlankAndNextSection", "[ports]\nCOM1:=\n\n[Next]\na=1",
       "[ports]\r\nCOM1:=\r\nLPT1:=\r\n\r\n[Next]\r\na=1\r\n"},
      {"ReplacesTheEntry", "[Ports]\r\n lpt1: = old\r\nCOM1:=\r\n", "[Ports]\r\nLPT1:=\r\nCOM1:=\r\n"},
      {"LoneCrEndsALine", "[Ports]\rCOM1:=\rLPT1:=old\r", "[Ports]\r\nCOM1:=\r\nLPT1:=\r\n"},
      {"NewSectionAtTheEnd", "[Other]\r\nx=1", "[Other]\r\nx=1\r\n\r\n[Ports]\r\nLPT1:=\r\n"},
      {"Utf8BomKept", "\xEF\xBB\xBF[Ports]\r\nCOM1:=\xC3\xA9\r\n", "\xEF\xBB\xBF[Ports]\r\nCOM1:=\xC3\xA9\r\nLPT1:=\r\n"},
      {"Utf16Kept", std::string("\xFF\xFE[\0P\0]\0", 8), std::string("\xFF\xFE[\0P\0]\0\r\0\n\0\r\0\n\0[\0", 18) +
                                                             std::string("P\0o\0r\0t\0s\0]\0\r\0\n\0", 16) +
                                                             std::string("L\0P\0T\0001\0:\0=\0\r\0\n\0", 16)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto machine = platform::sim::SimMachine::InMemory();
    const auto winIni = machine->driveC() / "Windows" / "win.ini";
    if (row.before) simtest::WriteFile(winIni, *row.before);
    EXPECT_EQ(machine->platform().profile.WriteProfileStringA("Ports", "LPT1:", ""), platform::winerr::Success);
    EXPECT_EQ(simtest::ReadFile(winIni), row.after);
  }
}

TEST(SimSystemProfile, IsWinIniOfTheWindowsFolderAndClosedToStandardUsers) {
  auto machine = platform::sim::SimMachine::InMemory();
  const auto winIni = machine->driveC() / "Windows" / "win.ini";
  simtest::WriteFile(winIni, "[Ports]\r\nCOM1:=\r\n");
  platform::PrivateProfile& profile = machine->platform().profile;
  std::vector<char> buffer(16);
  EXPECT_EQ(profile.GetProfileSectionA("ports", buffer), 7u);
  EXPECT_EQ(std::string(buffer.data(), 7), std::string("COM1:=\0", 7));

  machine->config().user.administrator = false;
  EXPECT_EQ(profile.WriteProfileStringA("Ports", "LPT1:", ""), platform::winerr::AccessDenied);
  EXPECT_EQ(simtest::ReadFile(winIni), "[Ports]\r\nCOM1:=\r\n");
}

}  // namespace

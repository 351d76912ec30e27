#include "engine/ErrorLog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <thread>

#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace {

class ErrorLogTest : public ::testing::Test {
protected:
  static std::string Log() { return simtest::ReadFile("errors.log"); }

  simtest::TempDir dir;
  simtest::ScopedCurrentDir cwd{dir.path()};
  std::unique_ptr<platform::sim::SimMachine> machine = platform::sim::SimMachine::InMemory();
  platform::FileSystem& files = machine->files();
};

TEST_F(ErrorLogTest, ExpandsEachConversionOnceAndEndsTheLineWithCrLf) {
  const unsigned long code = 1797;
  LogError(files, "CopyFile(%s,%s,FALSE) FAILED CODE: %d", ".\\WIN2KXP\\unidrv.dll", std::string("C:\\drv\\unidrv.dll"),
           code);
  LogError(files, "ratio %f, delta %d", 0.25, -7);
  LogError(files, "no values");
  LogError(files, "%f", -1e70);
  EXPECT_EQ(Log(),
            "CopyFile(.\\WIN2KXP\\unidrv.dll,C:\\drv\\unidrv.dll,FALSE) FAILED CODE: 1797\r\n"
            "ratio 0.250000, delta -7\r\n"
            "no values\r\n"
            "-10000000000000000725314363815292351261583744096465219555182101554790400.000000\r\n");
}

TEST_F(ErrorLogTest, AppendsToWhatIsThere) {
  simtest::WriteFile(dir.path() / "errors.log", "earlier line\r\n");
  LogError(files, "AddPrinter FAILED with code: %d", 5u);
  EXPECT_EQ(Log(), "earlier line\r\nAddPrinter FAILED with code: 5\r\n");
}

TEST_F(ErrorLogTest, MessagesThatCannotBeExpandedLeaveTheLogUnchanged) {
  simtest::WriteFile(dir.path() / "errors.log", "kept\r\n");
  LogError(files, "unknown %x conversion", 1);
  LogError(files, "percent at the end %");
  LogError(files, "a literal %% sign");
  LogError(files, "two codes %d and %d", 1);
  LogError(files, "text as a number %d", "12");
  LogError(files, "a number as text %s", 12);
  LogError(files, "an integer as floating %f", 3);
  EXPECT_EQ(Log(), "kept\r\n");
}

TEST_F(ErrorLogTest, PercentSignsInsideInsertedTextAreWrittenAsTheyAre) {
  LogError(files, "file %s failed: %d", "50%d off %s.dll", 32);
  EXPECT_EQ(Log(), "file 50%d off %s.dll failed: 32\r\n");
  EXPECT_EQ(ExpandLogMessage("%s%s", std::vector<LogValue>{std::string("%"), std::string("d")}), "%d");
  // Values beyond the conversions are not looked at.
  EXPECT_EQ(ExpandLogMessage("code %d", std::vector<LogValue>{1LL, 2LL, std::string("x")}), "code 1");
}

TEST_F(ErrorLogTest, ALogThatCannotBeOpenedLosesOnlyThatMessage) {
  std::filesystem::create_directory("errors.log");
  LogError(files, "lost %d", 1);
  std::filesystem::remove("errors.log");
  machine->faults().FailOnce("AppendToFileA", platform::winerr::SharingViolation);
  LogError(files, "lost %d", 2);
  LogError(files, "kept %d", 3);
  EXPECT_EQ(Log(), "kept 3\r\n");
}

TEST_F(ErrorLogTest, ThreadsNeverInterleaveTheirLines) {
  constexpr int kThreads = 4;
  constexpr int kLines = 150;
  const std::string padding(200, '.');
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kLines; ++i) LogError(files, "thread %d line %d %s", t, i, padding);
    });
  }
  for (auto& thread : threads) thread.join();

  const std::string log = Log();
  std::set<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.insert(log.substr(start, end - start));
  EXPECT_EQ(start, log.size());
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLines));
  for (int t = 0; t < kThreads; ++t)
    for (int i = 0; i < kLines; ++i)
      EXPECT_EQ(lines.count("thread " + std::to_string(t) + " line " + std::to_string(i) + " " + padding), 1u);
}

}  // namespace

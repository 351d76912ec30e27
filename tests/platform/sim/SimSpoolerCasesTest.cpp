// The spooler and service scenarios every backend must pass, run against the simulated machine.
#include <gtest/gtest.h>

#include "platform/cases/SpoolerCases.h"
#include "platform/sim/HostPath.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace {

class SimSpoolerCasesTest : public testing::Test {
protected:
  cases::MakeFile makeFile = [this](const std::string& windowsPath) {
    const auto host = platform::sim::HostPath(windowsPath, machine->driveC());
    ASSERT_TRUE(host.has_value()) << windowsPath;
    simtest::WriteFile(*host, "MZ");
  };

  void TearDown() override { EXPECT_EQ(machine->handles().Describe(), std::vector<std::string>{}); }

  std::unique_ptr<platform::sim::SimMachine> machine = platform::sim::SimMachine::InMemory();
  platform::Platform p = machine->platform();
};

TEST_F(SimSpoolerCasesTest, DriverDirectory) { cases::DriverDirectoryScenario(p); }

TEST_F(SimSpoolerCasesTest, AddDriverAndPrinter) { cases::AddDriverAndPrinterScenario(p, makeFile); }

TEST_F(SimSpoolerCasesTest, SpoolerService) { cases::SpoolerServiceScenario(p); }

TEST_F(SimSpoolerCasesTest, SpoolerServiceStartsAStoppedSpooler) {
  machine->config().services["spooler"].state = platform::svcstate::Stopped;
  cases::SpoolerServiceScenario(p);
}

TEST_F(SimSpoolerCasesTest, SpoolerStopStart) { cases::SpoolerStopStartScenario(p); }

}  // namespace

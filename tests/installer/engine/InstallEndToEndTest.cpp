// A whole installation on a worker thread, on each kind of port, read back from the saved machine.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "engine/InstallWorker.h"
#include "installer/engine/EngineTestSupport.h"

namespace {

using nlohmann::json;
using enginetest::FindNamed;

struct PortCase {
  std::string name;
  std::string port;
  std::string expectedPort;
};

class InstallEndToEndTest : public ::testing::TestWithParam<PortCase> {};

TEST_P(InstallEndToEndTest, InstallsTheModelOnThePort) {
  enginetest::EngineHarness harness;
  harness.StageMedia();
  harness.machine->document()["devices"] = installertest::ConnectedPrinters();
  Win2kXPInstaller installer(harness.context);
  installer.SetPortName(GetParam().port);
  installer.record.formName = "Print width 80mm 30cm";
  installer.record.needsPortMonitor = true;

  const auto worker = enginetest::StartWorker(installer, "RQ-7200 TH", 1);
  EXPECT_EQ(worker->Join(), 1u);
  EXPECT_EQ(installer.record.progressStep.load(), 7);
  EXPECT_TRUE(installer.record.fileList.empty());
  EXPECT_TRUE(harness.messages.empty());
  harness.machine->Save();

  const json saved = json::parse(simtest::ReadFile(harness.machine->machineFile()));
  const json& spooler = saved.at("spooler");
  const json* monitor = FindNamed(spooler.at("monitors"), "Korvex Port Monitor");
  ASSERT_NE(monitor, nullptr);
  EXPECT_EQ(monitor->at("dll"), "KorvexMon.dll");
  EXPECT_NE(FindNamed(spooler.at("drivers"), "RQ-7200 TH"), nullptr);
  const json* printer = FindNamed(spooler.at("printers"), "RQ-7200 TH");
  ASSERT_NE(printer, nullptr);
  EXPECT_EQ(printer->at("port"), GetParam().expectedPort);

  // Only the driver's version folder is left where the files were staged.
  for (const auto& entry : std::filesystem::directory_iterator(harness.machine->spooler().HostDriverDirectory()))
    EXPECT_TRUE(entry.is_directory()) << entry.path();
  for (const char* module : {"KorvexMon.dll", "KorvexMonUI.dll", "SiUSBXp.dll"})
    EXPECT_TRUE(std::filesystem::exists(harness.machine->driveC() / "Windows" / "System32" / module)) << module;

  const json& machineKeys = saved.at("registry").at("HKEY_LOCAL_MACHINE");
  const std::string portKey =
      "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Korvex Port Monitor\\Ports\\" + GetParam().expectedPort;
  if (GetParam().port.find("IP_") != std::string::npos) {
    ASSERT_TRUE(machineKeys.contains(portKey)) << machineKeys.dump(1);
    EXPECT_EQ(machineKeys.at(portKey).at("PortNumber"), 9100);
  } else {
    EXPECT_FALSE(machineKeys.contains(portKey));
  }
  EXPECT_EQ(harness.machine->handles().OpenCount(), 0u);
  EXPECT_EQ(enginetest::EngineHarness::ErrorLog(), "");
}

INSTANTIATE_TEST_SUITE_P(Ports, InstallEndToEndTest,
                         ::testing::Values(PortCase{"Serial", "COM1:", "Kvx_COM1:"},
                                           PortCase{"Usb", "USB", "Kvx_USB"},
                                           PortCase{"Parallel", "LPT1:", "Kvx_LPT1:"},
                                           PortCase{"Network", "IP_192.0.2.50", "Kvx_IP_192.0.2.50"}),
                         [](const auto& param) { return param.param.name; });

}  // namespace

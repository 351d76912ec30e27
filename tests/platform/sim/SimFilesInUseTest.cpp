// While the spooler runs it holds the modules of its port monitors and what they load: such a
// file cannot be overwritten (32) or deleted (5), though its attributes can be set; once the
// spooler has stopped, it can.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::DWORD;
namespace winerr = platform::winerr;

struct InUseCase {
  const char* name;
  const char* file;  // in the system directory
  bool spoolerRuns;
  DWORD copy, remove;
};

void PrintTo(const InUseCase& row, std::ostream* os) { *os << row.name; }

class SimFilesInUseTest : public testing::TestWithParam<InUseCase> {};

TEST_P(SimFilesInUseTest, LoadedModulesCannotBeReplaced) {
  const InUseCase& row = GetParam();
  auto machine = platform::sim::SimMachine::InMemory();
  for (const char* file : {"KorvexMon.dll", "KorvexMonUI.dll", "SiUSBXp.dll", "TestMon.dll", "other.dll"})
    simtest::WriteFile(machine->driveC() / "Windows" / "System32" / file, "old");
  simtest::WriteFile(machine->driveC() / "Source" / "new.dll", "new");
  machine->spooler().Edit([](platform::sim::SpoolerState& s) {
    s.monitors.push_back({"Korvex Port Monitor", "Windows x64", "KorvexMon.dll", {}});
    s.monitors.push_back({"Test Monitor", "Windows x64", "TestMon.dll", {}});
  });
  if (!row.spoolerRuns) machine->config().services["Spooler"].state = platform::svcstate::Stopped;
  platform::Platform p = machine->platform();
  // Names ignore case.
  std::string target = std::string("C:\\WINDOWS\\SYSTEM32\\") + row.file;
  for (char& c : target) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

  EXPECT_EQ(p.files.SetFileAttributesA(target, platform::fileattr::Normal), winerr::Success);
  EXPECT_EQ(p.files.CopyFileA("C:\\Source\\new.dll", target, false), row.copy);
  EXPECT_EQ(p.files.DeleteFileA(target), row.remove);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SimFilesInUseTest,
    testing::Values(InUseCase{"MonitorModule", "KorvexMon.dll", true, winerr::SharingViolation, winerr::AccessDenied},
                    InUseCase{"MonitorUiModule", "KorvexMonUI.dll", true, winerr::SharingViolation, winerr::AccessDenied},
                    InUseCase{"UsbAccessLibrary", "SiUSBXp.dll", true, winerr::SharingViolation, winerr::AccessDenied},
                    InUseCase{"OtherMonitorsModule", "TestMon.dll", true, winerr::SharingViolation, winerr::AccessDenied},
                    InUseCase{"FileNoneLoads", "other.dll", true, winerr::Success, winerr::Success},
                    InUseCase{"SpoolerStopped", "KorvexMonUI.dll", false, winerr::Success, winerr::Success}),
    [](const testing::TestParamInfo<InUseCase>& param) { return std::string(param.param.name); });

}  // namespace

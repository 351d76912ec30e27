// The spooler and service-manager scenarios shared with the simulated machine, answered by the
// real functions.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/cases/SpoolerCases.h"
#include "platform/win32/Win32Platform.h"
#include "SpoolerTestSupport.h"
#include "WineHost.h"

namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class Win32SpoolerCases : public testing::Test {
protected:
  void SetUp() override { Remove(); }
  void TearDown() override { Remove(); }

  void Remove() {
    spooler_test::RemovePrinter(names.printer);
    spooler_test::RemoveDriver(names.driver);
  }

  // Wine's local spooler cannot open a printer that has no datatype: AddPrinterA of the case
  // record, which names none (as the installer's does), fails there with 87 and leaves half a
  // printer behind. So under Wine the case printer is first added with "RAW"; the scenario's
  // AddPrinterA then replaces it, as Wine replaces a printer of an existing name.
  void LetWineOpenTheCasePrinter() {
    if (!wine_host::UnderWine()) return;
    platform::PrinterInfo2A info = cases::CasePrinterInfo(names);
    info.pDatatype = "RAW";
    std::unique_ptr<platform::PrinterHandle> printer;
    ASSERT_EQ(p.spooler.AddPrinterA(info, printer), platform::winerr::Success);
  }

  cases::SpoolerCaseNames names;
  spooler_test::DriverFiles files;
  const std::string configFile = *cases::CaseDriverInfo(names.driver).pConfigFile;
  cases::MakeFile makeFile = [this](const std::string& path) {
    files.Make(path, EndsWith(path, "\\" + configFile) ? spooler_test::StandInConfigModule() : std::string());
  };
  platform::win32::Win32Platform win32;
  platform::Platform p = win32.platform();
};

TEST_F(Win32SpoolerCases, DriverDirectory) { cases::DriverDirectoryScenario(p); }

TEST_F(Win32SpoolerCases, DriverAndPrinterRegistrationInTheInstallersOrder) {
  ASSERT_NO_FATAL_FAILURE(cases::AddDriverScenario(p, makeFile, names));
  ASSERT_NO_FATAL_FAILURE(LetWineOpenTheCasePrinter());
  ASSERT_NO_FATAL_FAILURE(cases::AddPrinterScenario(p, names));
  ASSERT_NO_FATAL_FAILURE(cases::PrinterDataScenario(p, names));
  ASSERT_NO_FATAL_FAILURE(cases::DeviceModeScenario(p, names));
}

// Wine's service manager stops and starts the spooler service, though its spooler goes on
// answering in between (a departure the simulated machine covers).
TEST_F(Win32SpoolerCases, SpoolerService) {
  ASSERT_NO_FATAL_FAILURE(cases::SpoolerServiceScenario(p));
  ASSERT_NO_FATAL_FAILURE(cases::SpoolerStopStartScenario(p));
}

}  // namespace

// The simulated libraries find exactly the functions Windows exports under those names.
#include <gtest/gtest.h>

#include "platform/cases/LibraryExportCases.h"
#include "platform/sim/SimMachine.h"

TEST(SimLibraryExportsTest, FunctionsAreFoundByTheirExactNameOnly) {
  auto machine = platform::sim::SimMachine::InMemory();
  cases::ExpectExactExports(machine->libraries());
}

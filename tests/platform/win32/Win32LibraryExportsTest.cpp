// The real libraries (under Wine) export the functions the system looks up under the names the
// simulated machine knows them by.
#include <gtest/gtest.h>

#include "platform/cases/LibraryExportCases.h"
#include "platform/win32/Win32Libraries.h"

TEST(Win32LibraryExportsTest, FunctionsAreFoundByTheirExactNameOnly) {
  platform::win32::Win32Libraries libraries;
  cases::ExpectExactExports(libraries);
}

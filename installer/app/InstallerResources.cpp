#include "app/InstallerResources.h"

#include <string_view>

#include "resource.h"
#include "ui/headless/RcParser.h"

std::string_view InstallerResourceScript();
std::string_view TestPageBitmapFile();

const ui::headless::ResourceSet& InstallerResources() {
  static const ui::headless::ResourceSet resources = ui::headless::ParseResourceScript(InstallerResourceScript());
  return resources;
}

std::optional<std::string_view> InstallerBitmapFile(int resourceId) {
  if (resourceId == IDB_TEST_PAGE) return TestPageBitmapFile();
  return std::nullopt;
}

#include "app/InstallerResources.h"

#include <string_view>

#include "resource.h"

std::string_view InstallerResourceScript();
std::string_view TestPageBitmapFile();

const ui::ResourceSet& InstallerResources() {
  static const ui::ResourceSet resources = ui::ResourceSet::Parse(InstallerResourceScript());
  return resources;
}

std::optional<std::string_view> InstallerBitmapFile(int resourceId) {
  if (resourceId == IDB_TEST_PAGE) return TestPageBitmapFile();
  return std::nullopt;
}

#include "app/InstallerResources.h"

#include <string_view>

std::string_view InstallerResourceScript();

const ui::ResourceSet& InstallerResources() {
  static const ui::ResourceSet resources = ui::ResourceSet::Parse(InstallerResourceScript());
  return resources;
}

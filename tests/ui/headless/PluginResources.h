#pragma once
// The plug-in's dialogs and strings for the headless kit, read from its resource script as the
// build embeds it (resource.h, then the .rc).
#include <string_view>

#include "ui/headless/RcParser.h"

std::string_view PluginResourceScript();

namespace ui::headless::testing {

inline const ResourceSet& PluginResources() {
  static const ResourceSet set = ParseResourceScript(PluginResourceScript());
  return set;
}

}  // namespace ui::headless::testing

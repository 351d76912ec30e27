#pragma once
#include <functional>
#include <string>

#include "platform/Platform.h"
#include "ui/Kit.h"

// What every part of the installer application works with: the operating system and the dialog kit.
struct AppContext {
  platform::Platform& platform;
  ui::Kit& kit;
  // Told the printer's name once an installation run has left a usable printer (installed, already
  // there, or moved to the new port), before the test page is offered.
  std::function<void(const std::string& printerName)> printerReady = {};
};

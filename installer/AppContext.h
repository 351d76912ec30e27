#pragma once
#include "platform/Platform.h"
#include "ui/Kit.h"

// What every part of the installer application works with: the operating system and the dialog kit.
struct AppContext {
  platform::Platform& platform;
  ui::Kit& kit;
};

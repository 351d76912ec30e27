#pragma once
#include <functional>
#include <string>

#include "engine/OsKind.h"
#include "platform/Platform.h"

// What the installation engine needs from its surroundings.
struct EngineContext {
  platform::Platform& platform;
  // The run's string table in the user-interface language (the kit's LoadText).
  std::function<std::string(int)> loadText;
  // Asked afresh wherever the kind matters, never cached.
  std::function<OsKind()> osKind;
  // Lets pending window messages through; nothing to do on a thread without windows.
  std::function<void()> pumpMessages = [] {};
  // A message box with one OK button over the top-level window in front; returns when it is closed.
  std::function<void(const std::string& text, const std::string& caption)> showMessage;

  std::string LoadText(int id) const { return loadText ? loadText(id) : std::string(); }
  OsKind CurrentOsKind() const { return osKind ? osKind() : kOsUnknown; }
  void PumpMessages() const {
    if (pumpMessages) pumpMessages();
  }
  void ShowMessage(const std::string& text, const std::string& caption) const {
    if (showMessage) showMessage(text, caption);
  }
};

#pragma once
// What every COM object of the module shares: its place in LiveObjectCount and its reference count.
#include <atomic>
#include <cstdint>

#include "platform/plugin/OemUiAbi.h"
#include "uiplugin/Module.h"

namespace uiplugin {

// Counted in LiveObjectCount from construction to destruction.
class LiveObject {
public:
  LiveObject() { TheModule().LiveObjectCount.fetch_add(1); }
  ~LiveObject() { TheModule().LiveObjectCount.fetch_sub(1); }
  LiveObject(const LiveObject&) = delete;
  LiveObject& operator=(const LiveObject&) = delete;
};

// A reference count that starts at 1. Release reports the count as read after the decrement; the
// owner destroys itself when that is 0.
class RefCount {
public:
  oemui::ULONG Add() { return static_cast<oemui::ULONG>(count_.fetch_add(1) + 1); }
  oemui::ULONG Drop() { return static_cast<oemui::ULONG>(count_.fetch_sub(1) - 1); }

private:
  std::atomic<std::int32_t> count_{1};
};

}  // namespace uiplugin

#pragma once
#include <string_view>

namespace ui::headless {

// Hears of every point at which the headless kit lets the thread's window messages through: a
// dialog or page made, a user's action dispatched, a message pump, the own loop of a message box or
// a file dialog. What a test needs to see how long the thread went without.
class DispatchObserver {
public:
  virtual void Dispatched(std::string_view what) = 0;

protected:
  ~DispatchObserver() = default;
};

}  // namespace ui::headless

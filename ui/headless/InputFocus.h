#pragma once
#include <string_view>

namespace ui::headless {

class HeadlessWindow;

// The kit's say over a user's actions: which top-level window a user can act on now; and its
// ear for each action, just before the action's message is dispatched.
class InputFocus {
public:
  virtual bool AcceptsInput(const HeadlessWindow& window) const = 0;
  virtual void UserActs(std::string_view action) = 0;

protected:
  ~InputFocus() = default;
};

}  // namespace ui::headless

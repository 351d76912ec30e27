#pragma once

namespace ui::headless {

class HeadlessWindow;

// The kit's say over a user's actions: which top-level window a user can act on now.
class InputFocus {
public:
  virtual bool AcceptsInput(const HeadlessWindow& window) const = 0;

protected:
  ~InputFocus() = default;
};

}  // namespace ui::headless

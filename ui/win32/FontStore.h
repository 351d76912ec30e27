#pragma once
#include <mutex>
#include <vector>

#include "ui/Controls.h"

namespace ui::win32 {

// Fonts given to controls must outlive the controls; the dialogs set them once and never
// release them, so the store keeps every font until the kit goes away with the program.
class FontStore {
public:
  FontStore() = default;
  ~FontStore();
  FontStore(const FontStore&) = delete;
  FontStore& operator=(const FontStore&) = delete;

  // An HFONT made from spec, or nullptr when the system refuses it.
  void* Create(const FontSpec& spec);
  std::size_t Count() const;

private:
  mutable std::mutex mutex_;
  std::vector<void*> fonts_;
};

}  // namespace ui::win32

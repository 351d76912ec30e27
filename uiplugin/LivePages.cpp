#include "uiplugin/LivePages.h"

namespace uiplugin {

void LivePages::Add(oemui::HWND window, ui::Kit& kit, std::unique_ptr<ui::Dialog> page) {
  kit.BindPage(*page, window);
  std::lock_guard guard(lock_);
  Entry& entry = pages_[window];
  if (entry.page) entry.kit->UnbindPage(*entry.page);  // a stale entry for a reused handle value
  entry = Entry{&kit, std::move(page), 0, false};
}

LivePages::Entry* LivePages::Enter(oemui::HWND window) {
  std::lock_guard guard(lock_);
  auto found = pages_.find(window);
  if (found == pages_.end() || found->second.windowGone) return nullptr;
  ++found->second.depth;
  return &found->second;
}

void LivePages::Leave(oemui::HWND window) {
  std::unique_ptr<ui::Dialog> finished;
  {
    std::lock_guard guard(lock_);
    auto found = pages_.find(window);
    if (found == pages_.end()) return;
    if (--found->second.depth == 0 && found->second.windowGone) {
      finished = std::move(found->second.page);
      pages_.erase(found);
    }
  }
}

void LivePages::Remove(oemui::HWND window) {
  std::unique_ptr<ui::Dialog> finished;
  std::lock_guard guard(lock_);
  auto found = pages_.find(window);
  if (found == pages_.end() || found->second.windowGone) return;
  Entry& entry = found->second;
  entry.kit->UnbindPage(*entry.page);
  entry.windowGone = true;
  if (entry.depth == 0) {
    finished = std::move(entry.page);
    pages_.erase(found);
  }
}

}  // namespace uiplugin

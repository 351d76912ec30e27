#pragma once
// The page objects behind the windows of open property sheets, one per page window. A page may be
// destroyed from inside its own handler (an import closes the whole sheet), so an object whose window
// is gone lives on until the outermost message it was handling returns.
#include <map>
#include <memory>
#include <mutex>

#include "platform/plugin/OemUiAbi.h"
#include "ui/Dialog.h"

namespace uiplugin {

class LivePages {
public:
  // Binds a new page object to its window through the kit.
  void Add(oemui::HWND window, ui::Kit& kit, std::unique_ptr<ui::Dialog> page);
  // Runs `handle` on the window's page; 0 when the window has none.
  template <class Page, class Handler>
  oemui::INT_PTR Dispatch(oemui::HWND window, Handler handle) {
    Entry* entry = Enter(window);
    if (entry == nullptr) return 0;
    oemui::INT_PTR result = 0;
    try {
      result = handle(static_cast<Page&>(*entry->page));
    } catch (...) {
      result = 0;  // nothing may unwind into the window system
    }
    Leave(window);
    return result;
  }
  // The window is going: unbinds its page, and frees it once no handler of it runs.
  void Remove(oemui::HWND window);

private:
  struct Entry {
    ui::Kit* kit = nullptr;
    std::unique_ptr<ui::Dialog> page;
    int depth = 0;  // handlers of this page running now (messages nest)
    bool windowGone = false;
  };
  Entry* Enter(oemui::HWND window);
  void Leave(oemui::HWND window);

  std::mutex lock_;
  std::map<oemui::HWND, Entry> pages_;
};

}  // namespace uiplugin

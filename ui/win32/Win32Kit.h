#pragma once
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "ui/Dialog.h"
#include "ui/Kit.h"
#include "ui/win32/FontStore.h"

namespace ui::win32 {

// The dialog kit on real windows: dialogs come from the module's dialog templates and run
// in the system's modal loop; strings come from its string tables.
class Win32Window;

class Win32Kit : public Kit {
public:
  // instance: the module holding the templates (HINSTANCE); nullptr means the program itself.
  explicit Win32Kit(void* instance = nullptr);
  ~Win32Kit() override;
  Win32Kit(const Win32Kit&) = delete;
  Win32Kit& operator=(const Win32Kit&) = delete;

  intptr_t RunModal(Dialog& dialog) override;
  int ShowMessageBox(Dialog* owner, const std::string& text, const std::string& caption, unsigned type) override;
  std::string LoadText(int stringId) override;
  bool PumpMessages() override;
  bool PumpPaintMessages() override;
  bool CreateModeless(Dialog& dialog, Dialog* owner) override;
  bool CreateChild(Dialog& child, Dialog& parent) override;
  void DestroyWindow(Dialog& dialog) override;
  std::optional<std::u16string> GetFileName(Dialog* owner, const FileDialogRequest& request) override;
  // The page keeps the window's own procedure: its owner routes the messages (RouteDialogMessage).
  void BindPage(Dialog& page, void* window) override;
  void UnbindPage(Dialog& page) override;
  void DestroyParentWindow(Dialog& page) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;

  // The window (HWND) of a running dialog of this kit, nullptr when it is not running.
  static void* WindowHandle(const Dialog& dialog);

  void* Instance() const { return instance_; }
  FontStore& fonts() { return fonts_; }

  // For the dialog procedures of this kit. A failure in a handler must not unwind through the
  // system: it ends the innermost modal run with -1, and that RunModal throws it again. Without
  // a modal run (a modeless dialog alone), the next pump of this kit throws it.
  struct ModalRun;
  void FailInnermostRun(std::exception_ptr failure);
  bool InnermostRunFailed() const;
  // Answers WM_SETCURSOR with the wait cursor while one is shown; true when it did.
  bool HoldWaitCursor(void* hwnd, unsigned message) const;

private:
  void* OwnerWindow(const Dialog* owner) const;
  void RethrowStrayFailure();

  void* instance_;
  FontStore fonts_;
  ModalRun* innermost_ = nullptr;
  std::exception_ptr strayFailure_;
  int waitDepth_ = 0;
  void* cursorBeforeWait_ = nullptr;
  std::map<Dialog*, std::unique_ptr<Win32Window>> boundPages_;
};

}  // namespace ui::win32

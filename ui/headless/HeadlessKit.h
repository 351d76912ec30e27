#pragma once
#include <memory>
#include <string>
#include <vector>

#include "ui/Dialog.h"
#include "ui/headless/DispatchObserver.h"
#include "ui/headless/InputFocus.h"
#include "ui/headless/ResourceSet.h"
#include "ui/headless/ScriptedUser.h"

namespace ui::headless {

class HeadlessWindow;

// The dialog kit without windows: dialogs run on in-memory controls built from their
// resource templates, and a scripted user acts on them and answers message boxes.
class HeadlessKit : public Kit, public InputFocus {
public:
  struct MessageBoxRecord {
    std::string caption;
    std::string text;
    unsigned type = 0;
    int answer = 0;
  };

  HeadlessKit(const ResourceSet& resources, LangId language, ScriptedUser& user);
  // Modeless dialogs still open lose their windows.
  ~HeadlessKit() override;
  HeadlessKit(const HeadlessKit&) = delete;
  HeadlessKit& operator=(const HeadlessKit&) = delete;

  intptr_t RunModal(Dialog& dialog) override;
  int ShowMessageBox(Dialog* owner, const std::string& text, const std::string& caption, unsigned type) override;
  std::string LoadText(int stringId) override;
  // Runs the next action the scripted user queued for a pump; answers whether one ran.
  bool PumpMessages() override;
  // No window system: nothing ever waits to be painted.
  bool PumpPaintMessages() override {
    Dispatched("PumpPaintMessages");
    return false;
  }
  // A modeless window is never the active one: the scripted user acts on the modal dialog on top.
  bool CreateModeless(Dialog& dialog, Dialog* owner) override;
  bool CreateChild(Dialog& child, Dialog& parent) override;
  void DestroyWindow(Dialog& dialog) override;
  // Records the request, then the scripted user answers (none queued: Cancel).
  std::optional<std::u16string> GetFileName(Dialog* owner, const FileDialogRequest& request) override;
  // The page's window is made from its template and counts as shown; while no modal dialog of
  // this kit runs, a scripted user can act on it (DialogDriver on FindBoundPage).
  void BindPage(Dialog& page, void* window) override;
  void UnbindPage(Dialog& page) override;
  // There is no sheet here: it is recorded (ParentDestroyed) and the page is unbound.
  void DestroyParentWindow(Dialog& page) override;
  void BeginWaitCursor() override;
  void EndWaitCursor() override;
  int WaitCursorDepth() const { return waitCursorDepth_; }
  int WaitCursorShowings() const { return waitCursorShowings_; }

  const std::vector<MessageBoxRecord>& MessageBoxes() const { return messageBoxes_; }
  const std::vector<FileDialogRequest>& FileDialogs() const { return fileDialogs_; }
  bool ParentDestroyed(const Dialog& page) const;
  // The window bound to a page, by the page or by the name BindPage was given; null when none.
  HeadlessWindow* FindBoundPage(const Dialog& page) const;
  HeadlessWindow* FindBoundPage(const void* window) const;
  // Whether a user can act on this top-level window now: the modal dialog on top, or a bound page
  // while no modal dialog runs.
  bool AcceptsInput(const HeadlessWindow& window) const override;
  void UserActs(std::string_view action) override { Dispatched(action); }
  // Told of each dispatch from now on; null: nobody.
  void SetDispatchObserver(DispatchObserver* observer) { observer_ = observer; }
  // The modal dialog on top, the only one a user can act on; null when none runs.
  HeadlessWindow* ActiveWindow() const { return running_.empty() ? nullptr : running_.back(); }
  // The open modeless window of a template; null when there is none.
  HeadlessWindow* FindModeless(int templateId) const;

  // What pressing Enter gives: the first button of the message box type.
  static int DefaultAnswer(unsigned type);

private:
  LocalizedResources resources_;
  ScriptedUser& user_;
  std::vector<MessageBoxRecord> messageBoxes_;
  std::vector<FileDialogRequest> fileDialogs_;
  struct BoundPage {
    const void* name;
    std::unique_ptr<HeadlessWindow> window;
  };
  std::vector<BoundPage> boundPages_;
  std::vector<const Dialog*> parentsDestroyed_;
  std::vector<HeadlessWindow*> running_;
  struct Modeless {
    std::unique_ptr<HeadlessWindow> window;
    HeadlessWindow* owner;  // a top-level window; null when unowned
  };
  // Owned modeless windows go with their owner, as on Windows.
  void DestroyOwnedBy(HeadlessWindow& owner);
  void Dispatched(std::string_view what) {
    if (observer_) observer_->Dispatched(what);
  }

  std::vector<Modeless> modeless_;
  int waitCursorDepth_ = 0;
  int waitCursorShowings_ = 0;
  DispatchObserver* observer_ = nullptr;
};

}  // namespace ui::headless

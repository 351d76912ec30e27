#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "ui/Transcript.h"

namespace ui {

class Dialog;
class DialogWindow;

namespace mb {
constexpr unsigned Ok = 0x0;
constexpr unsigned OkCancel = 0x1;
constexpr unsigned AbortRetryIgnore = 0x2;
constexpr unsigned YesNoCancel = 0x3;
constexpr unsigned YesNo = 0x4;
constexpr unsigned RetryCancel = 0x5;
constexpr unsigned IconError = 0x10;
constexpr unsigned IconQuestion = 0x20;
constexpr unsigned IconExclamation = 0x30;
constexpr unsigned IconInformation = 0x40;
constexpr unsigned ButtonsMask = 0xF;
}  // namespace mb

// Dialog and message-box results.
namespace idres {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Abort = 3;
constexpr int Retry = 4;
constexpr int Ignore = 5;
constexpr int Yes = 6;
constexpr int No = 7;
}  // namespace idres

// Names an answer for the transcript ("OK", "Cancel", "Yes", ...).
std::string AnswerName(int answer);

// Thrown by a handler to abandon what it was doing without a message, like the
// framework's silent user exception; the message dispatch absorbs it.
struct UserException {};

// The common file dialog: one filter, a file-name buffer of bufferUnits preset to initialName.
struct FileDialogRequest {
  bool save = false;  // GetSaveFileNameW, else GetOpenFileNameW
  std::u16string title, filterName, filterPattern, initialName;
  std::size_t bufferUnits = 256;
};

// The dialog kit: runs modal dialogs and message boxes on one backend.
class Kit {
public:
  virtual ~Kit() = default;

  // Creates the dialog's window from its template, calls OnInitDialog and runs until EndDialog.
  virtual intptr_t RunModal(Dialog& dialog) = 0;
  virtual int ShowMessageBox(Dialog* owner, const std::string& text, const std::string& caption, unsigned type) = 0;
  // String-table entry in the user's language; empty when missing.
  virtual std::string LoadText(int stringId) = 0;
  // Lets waiting window messages through (at most 20 dispatched); returns the last peek result.
  virtual bool PumpMessages() = 0;
  // Dispatches one waiting paint message of this thread, and nothing else; answers whether
  // there was one. Keeps windows drawn while the thread waits on other work.
  virtual bool PumpPaintMessages() = 0;
  // Modeless dialogs and child pages (see Dialog::CreateModeless and Dialog::CreateChild).
  virtual bool CreateModeless(Dialog& dialog, Dialog* owner) = 0;
  virtual bool CreateChild(Dialog& child, Dialog& parent) = 0;
  // Destroys the window of a modeless dialog or a page; a modal dialog's window is left to its loop.
  virtual void DestroyWindow(Dialog& dialog) = 0;
  // The full OPENFILENAMEW record, owned by owner's window, no flags, no initial directory, no
  // default extension. The chosen path; nullopt when the user cancels or the dialog fails.
  virtual std::optional<std::u16string> GetFileName(Dialog* owner, const FileDialogRequest& request) = 0;
  // A page of a property sheet that someone else created: binds `page` to that window (win32:
  // the HWND; headless: an in-memory window built from the page's template, `window` only names
  // it). The page's messages reach it through whoever owns the window's procedure.
  virtual void BindPage(Dialog& page, void* window) = 0;
  // Before the window or the page object goes.
  virtual void UnbindPage(Dialog& page) = 0;
  // DestroyWindow(GetParent(page)): a property sheet closed from inside one of its pages.
  virtual void DestroyParentWindow(Dialog& page) = 0;
  // The hourglass while a handler works; calls nest.
  virtual void BeginWaitCursor() = 0;
  virtual void EndWaitCursor() = 0;

  // The framework's application message box: application name as caption, OK, exclamation icon.
  int AppMessageBox(const std::string& text, unsigned type = mb::Ok | mb::IconExclamation);

  void SetAppName(const std::string& name) { appName_ = name; }
  const std::string& AppName() const { return appName_; }
  Transcript& transcript() { return *transcript_; }
  void SetTranscript(Transcript& transcript) { transcript_ = &transcript; }

private:
  std::string appName_;
  NullTranscript nullTranscript_;
  Transcript* transcript_ = &nullTranscript_;
};

// Shows the wait cursor for the length of a scope.
class WaitCursor {
public:
  explicit WaitCursor(Kit& kit) : kit_(kit) { kit_.BeginWaitCursor(); }
  ~WaitCursor() { kit_.EndWaitCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

private:
  Kit& kit_;
};

}  // namespace ui

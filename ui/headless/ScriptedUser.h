#pragma once
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "ui/Kit.h"

namespace ui::headless {

class DialogDriver;

// What the user does while a dialog is shown. When it returns with the dialog still
// open, the kit closes the dialog (close box, then Cancel).
using DialogScript = std::function<void(DialogDriver&)>;
// The button a user presses in a message box (idres::Ok, idres::Yes, ...); 0 = the default answer.
using MessageBoxAnswer = std::function<int(const std::string& caption, const std::string& text, unsigned type)>;
// The path a user picks in a common file dialog; nullopt: Cancel.
using FileDialogAnswer = std::function<std::optional<std::u16string>(const FileDialogRequest& request)>;

// The user of a headless run: scripts for the dialogs that come up and answers for message boxes.
class ScriptedUser {
public:
  // Scripts for the next showings of a template, used in the order given.
  void OnDialog(int templateId, DialogScript script);
  // Script for every showing of a template once its queued scripts are used up.
  void OnEveryDialog(int templateId, DialogScript script);
  // Answers for the next message boxes, in order; then the standing answer, then the default.
  void OnMessageBox(MessageBoxAnswer answer);
  void OnMessageBox(int answer);
  void OnEveryMessageBox(MessageBoxAnswer answer);
  // Answers for the next file dialogs, in order; a file dialog with none queued is cancelled.
  void OnFileDialog(FileDialogAnswer answer);
  // What the user does while a handler lets waiting input through (Kit::PumpMessages): one
  // action per pump, in order, on the dialog on top; a pump with none queued does nothing.
  void OnPumpMessages(DialogScript action);

  std::size_t PendingDialogScripts() const;
  std::size_t PendingMessageBoxAnswers() const { return answers_.size(); }
  std::size_t PendingPumpActions() const { return pumpActions_.size(); }
  std::size_t PendingFileDialogAnswers() const { return fileAnswers_.size(); }

  // For the kit.
  std::optional<DialogScript> TakeScript(int templateId);
  std::optional<int> TakeAnswer(const std::string& caption, const std::string& text, unsigned type);
  std::optional<DialogScript> TakePumpAction();
  std::optional<std::u16string> TakeFileName(const FileDialogRequest& request);

private:
  std::map<int, std::deque<DialogScript>> scripts_;
  std::map<int, DialogScript> everyDialog_;
  std::deque<MessageBoxAnswer> answers_;
  MessageBoxAnswer everyMessageBox_;
  std::deque<DialogScript> pumpActions_;
  std::deque<FileDialogAnswer> fileAnswers_;
};

}  // namespace ui::headless

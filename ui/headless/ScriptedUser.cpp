#include "ui/headless/ScriptedUser.h"

namespace ui::headless {

void ScriptedUser::OnDialog(int templateId, DialogScript script) { scripts_[templateId].push_back(std::move(script)); }

void ScriptedUser::OnEveryDialog(int templateId, DialogScript script) { everyDialog_[templateId] = std::move(script); }

void ScriptedUser::OnMessageBox(MessageBoxAnswer answer) { answers_.push_back(std::move(answer)); }

void ScriptedUser::OnMessageBox(int answer) {
  answers_.push_back([answer](const std::string&, const std::string&, unsigned) { return answer; });
}

void ScriptedUser::OnEveryMessageBox(MessageBoxAnswer answer) { everyMessageBox_ = std::move(answer); }

void ScriptedUser::OnFileDialog(FileDialogAnswer answer) { fileAnswers_.push_back(std::move(answer)); }

std::optional<std::u16string> ScriptedUser::TakeFileName(const FileDialogRequest& request) {
  if (fileAnswers_.empty()) return std::nullopt;
  FileDialogAnswer next = std::move(fileAnswers_.front());
  fileAnswers_.pop_front();
  return next(request);
}

void ScriptedUser::OnPumpMessages(DialogScript action) { pumpActions_.push_back(std::move(action)); }

std::optional<DialogScript> ScriptedUser::TakePumpAction() {
  if (pumpActions_.empty()) return std::nullopt;
  DialogScript action = std::move(pumpActions_.front());
  pumpActions_.pop_front();
  return action;
}

std::size_t ScriptedUser::PendingDialogScripts() const {
  std::size_t n = 0;
  for (const auto& [id, queue] : scripts_) n += queue.size();
  return n;
}

std::optional<DialogScript> ScriptedUser::TakeScript(int templateId) {
  if (auto it = scripts_.find(templateId); it != scripts_.end() && !it->second.empty()) {
    DialogScript script = std::move(it->second.front());
    it->second.pop_front();
    return script;
  }
  if (auto it = everyDialog_.find(templateId); it != everyDialog_.end()) return it->second;
  return std::nullopt;
}

std::optional<int> ScriptedUser::TakeAnswer(const std::string& caption, const std::string& text, unsigned type) {
  int answer = 0;
  if (!answers_.empty()) {
    MessageBoxAnswer next = std::move(answers_.front());
    answers_.pop_front();
    answer = next(caption, text, type);
  } else if (everyMessageBox_) {
    answer = everyMessageBox_(caption, text, type);
  }
  if (answer == 0) return std::nullopt;
  return answer;
}

}  // namespace ui::headless

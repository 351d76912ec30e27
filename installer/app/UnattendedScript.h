#pragma once
#include <string>

#include "app/ProgramOptions.h"

namespace ui::headless {
class ScriptedUser;
class DialogDriver;
}  // namespace ui::headless

// Answers the wizard's dialogs from the command-line options, as a user would click them.
class UnattendedScript {
public:
  explicit UnattendedScript(const ProgramOptions& options) : options_(options) {}

  void Apply(ui::headless::ScriptedUser& user);

  // Why the options could not be carried out (empty when they could).
  const std::string& Problem() const { return problem_; }

private:
  void AnswerModelDialog(ui::headless::DialogDriver& driver);
  bool ChooseRadio(ui::headless::DialogDriver& driver, int id, const std::string& what);

  const ProgramOptions& options_;
  std::string problem_;
};

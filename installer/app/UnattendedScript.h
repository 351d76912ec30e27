#pragma once
#include <string>
#include <vector>

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
  // What the user was told that ended the wizard without a problem in the options.
  const std::string& Notice() const { return notice_; }
  // The model dialog listed nothing: the catalog is missing or lists no model.
  bool ModelListEmpty() const { return modelListEmpty_; }

private:
  // The row of the model the options name: exactly, else in any letter case where one model matches; -1 for none.
  int ModelRow(const std::vector<std::string>& names) const;
  void AnswerModelDialog(ui::headless::DialogDriver& driver);
  bool ChooseRadio(ui::headless::DialogDriver& driver, int id, const std::string& what);
  void AnswerInterfaceDialog(ui::headless::DialogDriver& driver);
  bool FillSerialPage(ui::headless::DialogDriver& page);
  bool FillUsbPage(ui::headless::DialogDriver& driver);
  bool FillEthernetPage(ui::headless::DialogDriver& page);
  // "Ethernet Printers": search, take the board the options name, update it if asked, OK.
  bool ChooseBoard(ui::headless::DialogDriver& dialog);
  // --port selects its list entry (refused when there is none), --type-port types.
  bool ChoosePort(ui::headless::DialogDriver& page, int comboId);
  void AnswerExistingPrinter(ui::headless::DialogDriver& driver);

  const ProgramOptions& options_;
  ui::headless::ScriptedUser* user_ = nullptr;
  std::string problem_;
  std::string notice_;
  int messageBoxes_ = 0;
  bool modelListEmpty_ = false;
};

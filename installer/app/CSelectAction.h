#pragma once
#include <string>

#include "AppContext.h"
#include "ui/Dialog.h"

// Asks what to do with a printer of the same name that already exists on another port.
class CSelectAction : public ui::Dialog {
public:
  // Results; Cancel (also the close box) is ui::idres::Cancel.
  static constexpr int kNewPrinter = 3;
  static constexpr int kChangePort = 4;

  explicit CSelectAction(AppContext& context);

  bool OnInitDialog() override;
  void OnCommand(int id, int notifyCode) override;
  // The dialog has no OK button: Enter that reaches it as OK does nothing.
  void OnOK() override {}

  // Shows the question with the two ports in place of its first two "%s"; the ports go in as they
  // are, so a "%" in a port name is text.
  static std::string FormatQuestion(const std::string& question, const std::string& existing,
                                    const std::string& replacement);

  std::string newPort;
  std::string existingPort;
};

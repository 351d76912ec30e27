#include "app/UnattendedScript.h"

#include "engine/TextUtil.h"
#include "resource.h"
#include "ui/headless/DialogDriver.h"
#include "ui/headless/ScriptedUser.h"

void UnattendedScript::Apply(ui::headless::ScriptedUser& user) {
  user.OnDialog(IDD_PRINTER_MODEL, [this](ui::headless::DialogDriver& driver) { AnswerModelDialog(driver); });
}

bool UnattendedScript::ChooseRadio(ui::headless::DialogDriver& driver, int id, const std::string& what) {
  if (driver.IsChecked(id)) return true;
  if (!driver.IsVisible(id)) driver.Click(IDC_ADVANCED);
  if (!driver.IsEnabled(id)) {
    problem_ = "the model dialog does not offer " + what + " on this system";
    return false;
  }
  driver.Click(id);
  return true;
}

void UnattendedScript::AnswerModelDialog(ui::headless::DialogDriver& driver) {
  const auto rows = driver.ListRows(IDC_MODEL_LIST);
  int row = -1;
  for (std::size_t i = 0; i < rows.size() && row < 0; ++i) {
    const std::string name = TrimWhiteSpace(rows[i].empty() ? std::string() : rows[i][0]);
    if (options_.model.empty() || name == options_.model) row = static_cast<int>(i);
  }
  if (row < 0) {
    problem_ = options_.model.empty() ? "the model list is empty"
                                      : "model \"" + options_.model + "\" is not in the model list";
    driver.Close();
    return;
  }
  driver.ClickListRow(IDC_MODEL_LIST, row);
  if (!driver.IsEnabled(IDC_CONTINUE)) {
    problem_ = "model \"" + TrimWhiteSpace(rows[row][0]) + "\" cannot be chosen";
    driver.Close();
    return;
  }
  const bool ok =
      (options_.driver.empty() ||
       ChooseRadio(driver, options_.driver == "reduced" ? IDC_DRIVER_REDUCED : IDC_DRIVER_REGULAR,
                   "the " + options_.driver + " driver")) &&
      (options_.width.empty() ||
       ChooseRadio(driver, options_.width == "48" ? IDC_WIDTH_48 : IDC_WIDTH_80, "width " + options_.width));
  if (!ok) {
    driver.Close();
    return;
  }
  driver.Click(IDC_CONTINUE);
}

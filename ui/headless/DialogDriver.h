#pragma once
#include <optional>
#include <string>
#include <vector>

#include "ui/Dialog.h"
#include "ui/headless/InputFocus.h"

namespace ui::headless {

class HeadlessWindow;
struct HeadlessControl;

// What a scripted user can do to the dialog on screen, and what they can see of it.
// Actions are what a person could do: acting on a hidden or disabled control, on a dialog
// that is not shown, or on one behind another modal dialog throws std::logic_error.
// Each action writes a "user ..." line to the kit's transcript.
class DialogDriver {
public:
  DialogDriver(InputFocus& focus, HeadlessWindow& window);

  // A button: auto radio buttons check themselves and uncheck the others of their group,
  // auto check boxes toggle; then BN_CLICKED.
  void Click(int id);
  // A list-view row: it becomes the only selected row, with the focus and the selection mark;
  // then NM_CLICK with that item.
  void ClickListRow(int id, int row);
  void DoubleClickListRow(int id, int row);
  // The list view's empty area: nothing stays selected; then NM_CLICK with item -1.
  void ClickListEmpty(int id);
  void SelectCombo(int id, int index);  // then CBN_SELCHANGE
  // Replaces the text of an edit, of an editable combo box (CBN_EDITCHANGE) or of an IP address
  // control (fields after the fourth dropped, each cut to 3 digits and at most 255, blank = 0);
  // then EN_CHANGE or the combo's notification.
  void Type(int id, const std::string& text);
  void TypeW(int id, const std::u16string& text);
  void Menu(int commandId);
  void Close();  // close box or Escape
  // A page (child dialog) of this dialog, created from template `templateId`: the user acts on
  // its controls only while it and its dialog are shown. Throws when the dialog has no such page.
  DialogDriver Page(int templateId) const;

  Dialog& dialog() const;
  int TemplateId() const;
  bool IsRunning() const;  // not ended yet
  bool IsShown() const;
  std::string Caption() const;
  bool HasControl(int id) const;
  std::string Text(int id) const;  // Windows-1252, '?' for what it lacks
  std::u16string TextW(int id) const;
  bool IsEnabled(int id) const;
  bool IsVisible(int id) const;  // the control's own WS_VISIBLE, whatever the dialog's
  int Check(int id) const;
  bool IsChecked(int id) const;
  int Focus() const;  // 0 when no control of this dialog or page has it
  int FocusedIpField() const;  // the IP address field given the focus last (0 first); -1 otherwise
  std::optional<FontSpec> Font(int id) const;

  std::vector<std::string> ListColumns(int id) const;
  std::vector<std::vector<std::string>> ListRows(int id) const;
  std::vector<std::vector<std::u16string>> ListRowsW(int id) const;
  std::vector<std::string> ListRow(int id, int row) const;
  std::vector<int> SelectedRows(int id) const;
  int FocusedRow(int id) const;
  int EnsuredVisibleRow(int id) const;  // -1 when EnsureVisible was not called
  int SelectionMark(int id) const;
  std::vector<std::string> ComboItems(int id) const;
  int ComboSelection(int id) const;

private:
  HeadlessControl& Usable(int id, const char* action);
  void RequireActive(const char* action);
  void Line(const std::string& line);

  InputFocus& focus_;
  HeadlessWindow& window_;
};

}  // namespace ui::headless

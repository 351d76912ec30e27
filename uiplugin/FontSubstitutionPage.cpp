#include "uiplugin/FontSubstitutionPage.h"

#include <string>
#include <vector>

#include "uiplugin/DeviceFonts.h"
#include "uiplugin/FontFamilies.h"
#include "uiplugin/FontRows.h"
#include "uiplugin/SubstitutionTable.h"
#include "uiplugin/res/resource.h"

namespace uiplugin {

namespace {

constexpr std::size_t TextUnits = 256;  // the page's text buffers
constexpr int FamilyColumnWidth = 170;
constexpr int DeviceColumnMargin = 192;  // the device column takes the list's width less this

}  // namespace

FontSubstitutionPage::FontSubstitutionPage(ui::Kit& kit, platform::Platform& platform,
                                           platform::RawPrinterHandle printer)
    : ui::Dialog(kit, IDD_FONT_SUBSTITUTION), platform_(platform), printer_(printer) {}

bool FontSubstitutionPage::OnInitDialog() {
  // Opening the page switches substitution on; nothing on the page switches it off.
  (void)WriteSubstitutionSwitch(platform_.spooler, printer_, true);
  const bool on = ReadSubstitutionSwitch(platform_.spooler, printer_);
  GetButton(IDC_REPLACE_ALL).Enable(on);
  GetListView(IDC_FONT_LIST).Enable(on);
  GetComboBox(IDC_DEVICE_FONT).Enable(on);
  GetButton(IDC_ENABLE_SUBSTITUTION).SetCheck(on ? ui::bst::Checked : ui::bst::Unchecked);
  FillDeviceFonts();
  SetUpList();
  FillFontList();
  return true;
}

void FontSubstitutionPage::OnCommand(int id, int notifyCode) {
  if (id == IDC_DEVICE_FONT && notifyCode == ui::cmd::SelChange) {
    ApplyChosenDeviceFont();
  } else if (id == IDC_REPLACE_ALL && notifyCode == ui::cmd::Clicked) {
    ToggleReplaceAll();
  } else if (id == IDC_SAVE_FONTS && notifyCode == ui::cmd::Clicked) {
    SaveFonts();
  }
}

intptr_t FontSubstitutionPage::OnNotify(int id, int code) {
  if (id != IDC_FONT_LIST || code != ui::notify::Click) return 0;
  ShowClickedRow(NotifyItem());
  return 1;
}

void FontSubstitutionPage::OnShowPage() { SelectAndClickFirstRow(); }

void FontSubstitutionPage::FillDeviceFonts() {
  ui::ComboBox combo = GetComboBox(IDC_DEVICE_FONT);
  for (std::size_t i = 0; i < DeviceFontCount; ++i) combo.AddStringW(std::u16string(DeviceFontName(i)));
  combo.SetCurSel(0);
}

void FontSubstitutionPage::SetUpList() {
  ui::ListView list = GetListView(IDC_FONT_LIST);
  list.AddExtendedStyle(ui::lvsex::FullRowSelect);
  if (list.InsertColumn(0, kit().LoadText(IDS_FAMILY_COLUMN), FamilyColumnWidth) < 0) return;
  (void)list.InsertColumn(1, kit().LoadText(IDS_DEVICE_FONT_COLUMN), list.Width() - DeviceColumnMargin);
}

void FontSubstitutionPage::FillFontList(std::optional<std::u16string_view> forced) {
  ui::ListView list = GetListView(IDC_FONT_LIST);
  list.DeleteAllItems();
  const std::u16string table = LoadSubstitutionTable(platform_.spooler, printer_);
  std::vector<std::u16string> families = CollectTrueTypeFamilies(platform_.fonts);
  if (families.empty()) return;
  SortFamilies(families);
  const std::vector<FontRow> rows = ComputeFontRows(families, table, forced);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int row = static_cast<int>(i);
    (void)list.InsertItemW(row, rows[i].family);
    (void)list.SetItemTextW(row, 1, rows[i].deviceFont);
  }
}

void FontSubstitutionPage::SelectAndClickFirstRow() {
  ui::ListView list = GetListView(IDC_FONT_LIST);
  constexpr unsigned both = ui::lvis::Selected | ui::lvis::Focused;
  list.Focus();
  list.EnsureVisible(0);
  list.SetItemState(-1, 0, both);
  list.SetItemState(0, both, both);
  list.SetSelectionMark(0);
  list.SendSetFocus();
  // A real click, so the list itself reports it: the controls below then show row 0. Each pause
  // lets the list's window procedure catch up, as between a person's moves.
  const ui::Point at = list.GetItemPosition(0);
  list.SendMouse(ui::MouseAction::LeftDown, at);
  platform_.clock.Sleep(0);
  list.SendMouse(ui::MouseAction::MoveLeftHeld, at);
  platform_.clock.Sleep(0);
  list.Invalidate();
  UpdateWindow();
  platform_.clock.Sleep(0);
  list.SendMouse(ui::MouseAction::LeftUp, at);
}

void FontSubstitutionPage::ShowClickedRow(int item) {
  if (item < 0) return;  // a click beside the rows
  ui::ListView list = GetListView(IDC_FONT_LIST);
  const std::u16string family = list.GetItemTextW(item, 0, TextUnits);
  if (!family.empty()) GetStatic(IDC_TRUETYPE_NAME).SetTextW(family);
  const std::u16string deviceFont = list.GetItemTextW(item, 1, TextUnits);
  if (!deviceFont.empty()) (void)GetComboBox(IDC_DEVICE_FONT).SelectStringW(-1, deviceFont);
}

void FontSubstitutionPage::ApplyChosenDeviceFont() {
  ui::ComboBox combo = GetComboBox(IDC_DEVICE_FONT);
  const int chosen = combo.GetCurSel();
  if (chosen < 0) return;
  const std::u16string name = combo.GetItemTextW(chosen);
  if (name.empty()) return;
  ui::ListView list = GetListView(IDC_FONT_LIST);
  if (GetButton(IDC_REPLACE_ALL).IsChecked()) {
    list.Focus();
    FillFontList(name);
    list.Enable(false);
  } else if (const int mark = list.GetSelectionMark(); mark >= 0) {
    (void)list.SetItemTextW(mark, 1, name);
  }
}

void FontSubstitutionPage::ToggleReplaceAll() {
  ui::ListView list = GetListView(IDC_FONT_LIST);
  if (GetButton(IDC_REPLACE_ALL).IsChecked()) {
    const std::u16string name = GetComboBox(IDC_DEVICE_FONT).GetTextW(TextUnits);
    if (name.empty()) return;
    list.Focus();
    FillFontList(name);
    list.Enable(false);
  } else {
    list.Focus();
    FillFontList();
    list.Enable(true);
  }
}

void FontSubstitutionPage::SaveFonts() {
  ui::ListView list = GetListView(IDC_FONT_LIST);
  std::vector<FontRow> rows;
  const int count = list.GetItemCount();
  for (int i = 0; i < count; ++i) {
    rows.push_back({list.GetItemTextW(i, 0, TextUnits), list.GetItemTextW(i, 1, TextUnits)});
  }
  if (SaveSubstitutionTable(platform_.spooler, printer_, TextFormOfRows(rows)) == TableSave::TooLarge) {
    ShowMessageBox(kit().LoadText(IDS_TABLE_TOO_LARGE), kit().LoadText(IDS_FONT_SUBSTITUTION),
                   ui::mb::Ok | ui::mb::IconExclamation);
  }
}

}  // namespace uiplugin

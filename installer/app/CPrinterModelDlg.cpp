#include "app/CPrinterModelDlg.h"

#include <cstdlib>
#include <stdexcept>

#include "app/CAboutDlg.h"
#include "app/CInterfaceConfigDlg.h"
#include "app/OsKind.h"
#include "engine/Catalog.h"
#include "engine/TextUtil.h"
#include "resource.h"

namespace {
constexpr int kAdvancedControls[] = {IDC_DRIVER_GROUP, IDC_DRIVER_REGULAR, IDC_DRIVER_REDUCED,
                                     IDC_WIDTH_GROUP,  IDC_WIDTH_48,       IDC_WIDTH_80};
}  // namespace

CPrinterModelDlg::CPrinterModelDlg(AppContext& context)
    : ui::Dialog(context.kit, IDD_PRINTER_MODEL), context_(context) {}

CPrinterModelDlg::~CPrinterModelDlg() = default;

bool CPrinterModelDlg::OnInitDialog() {
  ResetWidthTo80();

  ui::ListView list = GetListView(IDC_MODEL_LIST);
  ui::FontSpec font;
  font.height = 32;
  font.weight = 400;
  font.pitchAndFamily = 0x10;
  list.SetFont(font);
  list.InsertColumn(0, "Select printer to install", list.Width() - 5, ui::lvcfmt::Left);
  int row = 0;
  for (const std::string& name : ReadSupportedPrinters(context_.platform.profile, false)) {
    if (IsListedModel(name)) list.InsertItem(row++, "    " + name + "   ");
  }
  list.SetColumnWidth(0, list.Width() - 5);
  list.SetItemState(0, ui::lvis::Selected, ui::lvis::Selected);
  list.EnsureVisible(0);

  AttachMenu(IDR_MAIN_MENU);
  GetButton(IDC_DRIVER_REGULAR).SetCheck(ui::bst::Checked);
  GetButton(IDC_CONTINUE).Enable();

  selection.osKind = kOsWin98;
  try {
    selection.osKind = DetectOsKind(context_);
  } catch (const ui::UserException&) {
  } catch (const std::runtime_error&) {
  }
  if (selection.osKind == kOsWin98) GetButton(IDC_DRIVER_REDUCED).Enable(false);

  ShowAdvancedOptions(false);
  if (selection.hidden) OnContinue();
  return true;
}

void CPrinterModelDlg::OnCommand(int id, int notifyCode) {
  switch (id) {
    case IDC_CONTINUE: OnContinue(); return;
    case IDC_ADVANCED: OnAdvanced(); return;
    case ID_APP_ABOUT: OnAbout(); return;
    default: ui::Dialog::OnCommand(id, notifyCode);
  }
}

intptr_t CPrinterModelDlg::OnNotify(int id, int code) {
  if (id == IDC_MODEL_LIST && code == ui::notify::Click) OnListClick();
  return 0;
}

bool CPrinterModelDlg::SelectedModelName(std::string& name) {
  ui::ListView list = GetListView(IDC_MODEL_LIST);
  const int row = list.GetNextItem(-1, ui::lvni::Selected);
  if (row < 0) return false;
  name = TrimTrailingWhiteSpace(TrimLeadingWhiteSpace(list.GetItemText(row, 0)));
  return true;
}

void CPrinterModelDlg::ShowAdvancedOptions(bool show) {
  for (int id : kAdvancedControls) GetControl(id).Show(show);
}

void CPrinterModelDlg::ResetWidthTo80() {
  ui::Button width80 = GetButton(IDC_WIDTH_80);
  ui::Button width48 = GetButton(IDC_WIDTH_48);
  width80.SetCheck(ui::bst::Checked);
  width48.SetCheck(ui::bst::Unchecked);
  width80.Enable();
  width48.Enable();
}

void CPrinterModelDlg::PresetWidthFromCatalog(const std::string& modelName) {
  ResetWidthTo80();
  ui::Button width80 = GetButton(IDC_WIDTH_80);
  ui::Button width48 = GetButton(IDC_WIDTH_48);
  const auto mask = WidthMaskFor(ReadSupportedPrinters(context_.platform.profile, true), modelName);
  if (!mask) return;
  if (*mask & kWidth48Flag) {
    width48.Enable();
    width48.SetCheck(ui::bst::Checked);
    width80.SetCheck(ui::bst::Unchecked);
  }
  if (*mask & kWidth80Flag) {
    width80.Enable();
    width48.SetCheck(ui::bst::Unchecked);
    width80.SetCheck(ui::bst::Checked);
  }
}

std::optional<unsigned long> CPrinterModelDlg::WidthMaskFor(const std::vector<std::string>& decorated,
                                                           const std::string& name) {
  // The flag suffix is the last " $": a model name may hold a "$" of its own.
  for (const std::string& entry : decorated) {
    const std::size_t suffix = entry.rfind(" $");
    if (suffix != name.size() || entry.compare(0, suffix, name) != 0) continue;
    return std::strtoul(entry.c_str() + suffix + 2, nullptr, 16);
  }
  return std::nullopt;
}

void CPrinterModelDlg::OnListClick() {
  ui::ListView list = GetListView(IDC_MODEL_LIST);
  ui::Button next = GetButton(IDC_CONTINUE);
  const int row = list.GetNextItem(-1, ui::lvni::Selected);
  if (row < 0) {
    next.Enable(false);
    return;
  }
  std::string name;
  SelectedModelName(name);
  if (name.find("RQ") != std::string::npos || name.rfind("VT", 0) == 0) {
    next.Enable();
    PresetWidthFromCatalog(name);
  } else {
    next.Enable(false);
    list.SetItemState(row, 0, ui::lvis::Selected);
  }
}

void CPrinterModelDlg::OnAdvanced() {
  ui::Button advanced = GetButton(IDC_ADVANCED);
  if (advancedHidden_) {
    ShowAdvancedOptions(true);
    advanced.SetText(kit().LoadText(IDS_ADVANCED) + " <<");
    advancedHidden_ = false;
  } else {
    ShowAdvancedOptions(false);
    advanced.SetText(kit().LoadText(IDS_ADVANCED) + " >>");
    advancedHidden_ = true;
  }
}

void CPrinterModelDlg::OnAbout() {
  CAboutDlg about(context_, this);
  about.DoModal();
}

bool CPrinterModelDlg::ReadChoices() {
  if (!SelectedModelName(selection.modelName)) return false;
  selection.driverKind = GetButton(IDC_DRIVER_REDUCED).IsChecked() ? DriverKind::ReducedScale : DriverKind::Regular;
  selection.printWidth = GetButton(IDC_WIDTH_48).IsChecked()   ? PrintWidth::Width48
                         : GetButton(IDC_WIDTH_80).IsChecked() ? PrintWidth::Width80
                                                               : PrintWidth::None;
  return true;
}

void CPrinterModelDlg::RecordChoices() {
  ui::Transcript& transcript = kit().transcript();
  transcript.Choice("model", selection.modelName);
  transcript.Choice("driver", selection.driverKind == DriverKind::ReducedScale ? "reduced" : "regular");
  transcript.Choice("width", selection.printWidth == PrintWidth::Width48   ? "48"
                             : selection.printWidth == PrintWidth::Width80 ? "80"
                                                                           : "none");
}

void CPrinterModelDlg::OnContinue() {
  if (selection.hidden) ShowWindow(false);
  if (!ReadChoices()) return;
  RecordChoices();

  CInterfaceConfigDlg interfaceDlg(context_, selection.modelName);
  const intptr_t result = interfaceDlg.DoModal();
  switch (result) {
    case ui::idres::Cancel:
      EndDialog(ui::idres::Cancel);
      break;
    case CInterfaceConfigDlg::kBack:
      ShowWindow(true);
      break;
    case CInterfaceConfigDlg::kInstall:
      selection.portChoice = interfaceDlg.portChoice;
      selection.portParameter = interfaceDlg.portParameter;
      selection.flowControlIndex = interfaceDlg.flowControlIndex;
      selection.tcpPort = interfaceDlg.tcpPort;
      runOutcome = RunInstallation(context_, *this, selection);
      EndDialog(ui::idres::Ok);
      break;
    default:
      EndDialog(ui::idres::Ok);
  }
}

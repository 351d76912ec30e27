#include "app/UnattendedScript.h"

#include <algorithm>
#include <cctype>

#include "app/CInterfaceConfigDlg.h"
#include "app/CSelectAction.h"
#include "app/InterfaceNames.h"
#include "app/RunInstallation.h"
#include "comm/AddressText.h"
#include "comm/CEthernetConfigDlg.h"
#include "comm/SerialPortSettings.h"
#include "engine/TextUtil.h"
#include "platform/CaseFolding.h"
#include "resource.h"
#include "ui/headless/DialogDriver.h"
#include "ui/headless/ScriptedUser.h"

namespace {

using ui::headless::DialogDriver;

struct InterfaceButton {
  const char* kind;
  int radio;
  int page;  // its page in the dialog
};
// In the order "Install printer" looks at them.
constexpr InterfaceButton kInterfaces[] = {{interfacename::kSerial, IDC_IF_SERIAL, IDD_SERIAL_PAGE},
                                           {interfacename::kParallel, IDC_IF_PARALLEL, IDD_PARALLEL_PAGE},
                                           {interfacename::kUsb, IDC_IF_USB, IDD_USB_VCOM_PAGE},
                                           {interfacename::kEthernet, IDC_IF_ETHERNET, IDD_ETHERNET_PAGE}};

std::string PortKey(std::string name) {
  if (!name.empty() && name.back() == ':') name.pop_back();
  return platform::UpperCase(name);
}

// A MAC address as the ethernet printers dialog lists it: "02:00:4B:56:58:30" for "02-00-4b-56-58-30".
// Text that is no MAC address stays as given, and no board has it.
std::string BoardMacText(const std::string& text) {
  const std::optional<MacAddress> mac = ParseMac(text);
  return mac ? MacText(*mac) : text;
}

std::string Joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

std::string FocusedBoxName(int id) {
  switch (id) {
    case IDC_BAUD_COMBO: return "baud rate (--baud)";
    case IDC_IP_ADDRESS: return "IP address (--ip)";
    default: return "port (--port or --type-port)";
  }
}

}  // namespace

void UnattendedScript::Apply(ui::headless::ScriptedUser& user) {
  user_ = &user;
  user.OnDialog(IDD_PRINTER_MODEL, [this](DialogDriver& driver) { AnswerModelDialog(driver); });
  user.OnDialog(IDD_INTERFACE_CONFIG, [this](DialogDriver& driver) { AnswerInterfaceDialog(driver); });
  user.OnDialog(IDD_SELECT_ACTION, [this](DialogDriver& driver) { AnswerExistingPrinter(driver); });
  user.OnDialog(IDD_TEST_PAGE, [this](DialogDriver& driver) {
    driver.Click(options_.testPage == "yes" ? ui::idres::Ok : ui::idres::Cancel);
  });
  // Counted (only a failed detection shows one on the serial page), and answered as Enter would
  // but for the "plug in your printer" question, which the options answer.
  user.OnEveryMessageBox([this](const std::string& caption, const std::string&, unsigned type) {
    ++messageBoxes_;
    const bool connectPrompt = caption == kConnectPrinterCaption && (type & ui::mb::ButtonsMask) == ui::mb::OkCancel;
    return connectPrompt && options_.connectPrompt == "cancel" ? ui::idres::Cancel : 0;
  });
}

void UnattendedScript::AnswerExistingPrinter(DialogDriver& driver) {
  if (options_.ifExists.empty()) {
    problem_ = "the printer is already installed on another port: --if-exists decides what to do";
    return driver.Click(ui::idres::Cancel);
  }
  driver.Click(options_.ifExists == "new" ? CSelectAction::kNewPrinter
               : options_.ifExists == "change-port" ? CSelectAction::kChangePort
                                                    : ui::idres::Cancel);
}

bool UnattendedScript::ChoosePort(DialogDriver& page, int comboId) {
  if (!options_.typePort.empty()) {
    page.Type(comboId, options_.typePort);
    return true;
  }
  if (options_.port.empty()) return true;
  const auto items = page.ComboItems(comboId);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (PortKey(items[i]) == PortKey(options_.port)) {
      page.SelectCombo(comboId, static_cast<int>(i));
      return true;
    }
  }
  problem_ = "--port " + options_.port + " is not in the page's port list (" +
             (items.empty() ? std::string("empty") : Joined(items)) + "); --type-port types a name into the box";
  return false;
}

bool UnattendedScript::FillSerialPage(DialogDriver& page) {
  if (options_.detect) {
    const int before = messageBoxes_;
    page.Click(IDC_DETECT);
    if (messageBoxes_ != before) {
      notice_ = "no serial printer was detected";
      return false;
    }
    const std::string port = page.Text(IDC_PORT_COMBO), baud = page.Text(IDC_BAUD_COMBO);
    if (!options_.port.empty() && PortKey(options_.port) != PortKey(port)) {
      problem_ = "--port " + options_.port + " does not match the detected port " + port;
      return false;
    }
    if (!options_.baud.empty() && std::stol(options_.baud) != std::stol(baud)) {
      problem_ = "--baud " + options_.baud + " does not match the detected rate " + baud;
      return false;
    }
  } else {
    if (!ChoosePort(page, IDC_PORT_COMBO)) return false;
    if (!options_.baud.empty()) page.Type(IDC_BAUD_COMBO, options_.baud);
  }
  if (!options_.flow.empty()) {
    const int index = options_.flow == "rts-cts"   ? kFlowEntryRtsCts
                      : options_.flow == "dtr-dsr" ? kFlowEntryDtrDsr
                                                   : kFlowEntryNone;
    page.SelectCombo(IDC_FLOW_COMBO, index);
  }
  return true;
}

bool UnattendedScript::FillUsbPage(DialogDriver& driver) {
  DialogDriver page = driver.Page(IDD_USB_VCOM_PAGE);
  if (!page.IsShown()) {
    if (options_.port.empty() && options_.typePort.empty() && !options_.addVcomPort) return true;
    problem_ = std::string(options_.addVcomPort ? "--add-vcom-port" : options_.port.empty() ? "--type-port" : "--port") +
               " is not used: this model's USB interface has no port to choose";
    return false;
  }
  if (options_.addVcomPort) page.Click(IDC_ADD_VCOM_PORT);
  return ChoosePort(page, IDC_VCOM_COMBO);
}

bool UnattendedScript::FillEthernetPage(DialogDriver& page) {
  if (!options_.ip.empty()) page.Type(IDC_IP_ADDRESS, options_.ip);
  // What the "Setup..." dialog hands back on OK.
  if (!options_.tcpPort.empty())
    dynamic_cast<CEthernetConfigDlg&>(page.dialog()).tcpPort = static_cast<std::int32_t>(std::stol(options_.tcpPort));
  if (!options_.search) return true;
  bool chosen = false;
  user_->OnDialog(IDD_ETHERNET_PRINTERS, [this, &chosen](DialogDriver& dialog) { chosen = ChooseBoard(dialog); });
  page.Click(IDC_ETHERNET_SETUP);
  return chosen;
}

bool UnattendedScript::ChooseBoard(DialogDriver& dialog) {
  ui::Transcript& transcript = dialog.dialog().kit().transcript();
  const auto findRow = [&dialog](const std::string& mac) {
    const auto rows = dialog.ListRows(IDC_BOARD_LIST);
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (mac.empty() || rows[i][0] == mac) return static_cast<int>(i);
    return -1;
  };
  const auto refuse = [&](std::string problem) {
    problem_ = std::move(problem);
    dialog.Click(ui::idres::Cancel);
    return false;
  };
  dialog.Click(IDC_BOARD_SEARCH);
  for (const auto& row : dialog.ListRows(IDC_BOARD_LIST)) transcript.Choice("board-found", row[0] + " " + row[1]);
  const std::string wanted = BoardMacText(options_.board);
  int row = findRow(wanted);
  if (row < 0) return refuse(wanted.empty() ? "--search found no board" : "--board " + options_.board + " was not found");
  const std::string mac = dialog.ListRow(IDC_BOARD_LIST, row)[0];
  dialog.ClickListRow(IDC_BOARD_LIST, row);

  const bool update = !options_.boardIp.empty() || !options_.boardMask.empty() || !options_.boardGateway.empty() ||
                      !options_.boardPort.empty() || !options_.boardDhcp.empty();
  if (update) {
    for (const auto& [id, value] : {std::pair{IDC_BOARD_IP, &options_.boardIp}, {IDC_BOARD_MASK, &options_.boardMask},
                                    {IDC_BOARD_GATEWAY, &options_.boardGateway}, {IDC_BOARD_PORT, &options_.boardPort}})
      if (!value->empty()) dialog.Type(id, *value);
    if (!options_.boardDhcp.empty()) {
      if (!dialog.IsEnabled(IDC_USE_DHCP)) return refuse("--board-dhcp: this model's boards keep their own DHCP setting");
      if (dialog.IsChecked(IDC_USE_DHCP) != (options_.boardDhcp == "on")) dialog.Click(IDC_USE_DHCP);
    }
    dialog.Click(IDC_BOARD_UPDATE);
    row = findRow(mac);
    if (row < 0) return refuse("board " + mac + " did not answer after the update");
    dialog.ClickListRow(IDC_BOARD_LIST, row);
    // The update is never confirmed: only the board's next answer shows whether it took the settings.
    const std::string answeredIp = dialog.ListRow(IDC_BOARD_LIST, row)[1], answeredPort = dialog.Text(IDC_BOARD_PORT);
    if ((!options_.boardIp.empty() && ParseDottedQuad(answeredIp) != ParseDottedQuad(options_.boardIp)) ||
        (!options_.boardPort.empty() && answeredPort != std::to_string(std::stoul(options_.boardPort))))
      return refuse("board " + mac + " did not take the new settings: it answers at " + answeredIp + " port " + answeredPort);
  }
  // The dialog proposes an address of the computer's network for a board outside it.
  const std::string boardIp = dialog.ListRow(IDC_BOARD_LIST, row)[1];
  if (dialog.Text(IDC_BOARD_IP) != boardIp)
    return refuse("board " + mac + " at " + boardIp + " is outside this computer's network: give it an address with --board-ip");
  transcript.Choice("board", mac + " " + boardIp + " " + dialog.Text(IDC_BOARD_PORT));
  dialog.Click(ui::idres::Ok);
  if (dialog.IsRunning()) return refuse("the board's TCP port " + dialog.Text(IDC_BOARD_PORT) + " was refused");
  return true;
}

void UnattendedScript::AnswerInterfaceDialog(DialogDriver& driver) {
  const InterfaceButton* chosen = nullptr;
  for (const InterfaceButton& button : kInterfaces) {
    if (button.kind != options_.interfaceKind) continue;
    if (!driver.IsEnabled(button.radio)) {
      problem_ = "--interface " + options_.interfaceKind + ": the interface dialog does not offer it for this model";
      return driver.Close();
    }
    driver.Click(button.radio);
  }
  for (const InterfaceButton& button : kInterfaces) {
    if (driver.IsChecked(button.radio)) {
      chosen = &button;
      break;
    }
  }
  const std::string kind = chosen ? chosen->kind : interfacename::kNone;
  ProgramOptions asChosen = options_;
  asChosen.interfaceKind = kind;
  if (std::string error = UnusableOptionError(asChosen); !error.empty()) {
    problem_ = error;
    return driver.Close();
  }

  bool ok = true;
  if (kind == interfacename::kUsb) {
    ok = FillUsbPage(driver);
  } else if (chosen) {
    DialogDriver page = driver.Page(chosen->page);
    if (kind == interfacename::kSerial) ok = FillSerialPage(page);
    if (kind == interfacename::kParallel) ok = ChoosePort(page, IDC_PORT_COMBO);
    if (kind == interfacename::kEthernet) ok = FillEthernetPage(page);
  }
  if (!ok) return driver.Close();
  driver.Click(IDC_INSTALL_PRINTER);
  if (driver.IsRunning()) {
    // Refused: the dialog put the focus on the empty box of the chosen page.
    problem_ = "\"Install printer\" needs a " + FocusedBoxName(chosen ? driver.Page(chosen->page).Focus() : 0);
    driver.Close();
  }
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

int UnattendedScript::ModelRow(const std::vector<std::string>& names) const {
  if (names.empty()) return -1;
  if (options_.model.empty()) return 0;
  const auto exact = std::find(names.begin(), names.end(), options_.model);
  if (exact != names.end()) return static_cast<int>(exact - names.begin());
  // In another letter case only where that names one model: the catalog may list both "VT5000" and "vt5000".
  int row = -1;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!platform::EqualNoCase(names[i], options_.model)) continue;
    if (row >= 0) return -1;
    row = static_cast<int>(i);
  }
  return row;
}

void UnattendedScript::AnswerModelDialog(ui::headless::DialogDriver& driver) {
  std::vector<std::string> names;
  for (const auto& row : driver.ListRows(IDC_MODEL_LIST)) names.push_back(TrimWhiteSpace(row.empty() ? std::string() : row[0]));
  const int row = ModelRow(names);
  if (row < 0) {
    modelListEmpty_ = names.empty();
    problem_ = names.empty() ? "the model list is empty"
                             : "model \"" + options_.model + "\" is not in the model list (" + Joined(names) + ")";
    driver.Close();
    return;
  }
  driver.ClickListRow(IDC_MODEL_LIST, row);
  if (!driver.IsEnabled(IDC_CONTINUE)) {
    problem_ = "model \"" + names[static_cast<std::size_t>(row)] + "\" cannot be chosen";
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

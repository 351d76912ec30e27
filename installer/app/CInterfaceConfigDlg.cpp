#include "app/CInterfaceConfigDlg.h"

#include "app/InterfaceNames.h"
#include "app/WizardSelection.h"
#include "comm/BoardInfo.h"
#include "comm/CEthernetConfigDlg.h"
#include "comm/CParallaleConfigDlg.h"
#include "comm/CSerialConfigDlg.h"
#include "comm/CUsbVCOM.h"
#include "comm/SerialPortSettings.h"
#include "engine/Catalog.h"
#include "engine/PrinterNames.h"
#include "resource.h"

namespace {
// The virtual COM port's settings are written as for "DTR/DSR".
constexpr std::int32_t kVirtualComFlowIndex = kFlowEntryDtrDsr;
}  // namespace

CInterfaceConfigDlg::CInterfaceConfigDlg(AppContext& context, std::string modelName, ui::Dialog* parent)
    : ui::Dialog(context.kit, IDD_INTERFACE_CONFIG, parent), context_(context), modelName_(std::move(modelName)) {}

// The pages' windows are gone with this dialog's; the objects go here.
CInterfaceConfigDlg::~CInterfaceConfigDlg() = default;

bool CInterfaceConfigDlg::IsRq7200Th() const { return IsRq7200ThFamily(modelName_); }

bool CInterfaceConfigDlg::OnInitDialog() {
  GetButton(IDC_IF_USB).SetCheck(ui::bst::Checked);

  ui::Control frame = GetControl(IDC_PAGE_FRAME);
  const ui::Rect area = frame.ClientRect();
  frame.Destroy();

  const bool rq7200th = IsRq7200Th();
  ethernetPage_ = std::make_unique<CEthernetConfigDlg>(context_, rq7200th ? boardkind::Lindor : boardkind::Ostrel);
  parallelPage_ = std::make_unique<CParallaleConfigDlg>(context_);
  serialPage_ = std::make_unique<CSerialConfigDlg>(context_);
  vcomPage_ = std::make_unique<CUsbVCOM>(context_);
  ui::Dialog* pages[] = {ethernetPage_.get(), parallelPage_.get(), serialPage_.get(), vcomPage_.get()};
  for (ui::Dialog* page : pages) {
    page->CreateChild(*this);
    page->MoveWindow(area, true);
    page->ShowWindow(false);
    if (page == parallelPage_.get()) parallelPage_->PortBox().SetCurSel(0);
  }

  platform::PrivateProfile& catalog = context_.platform.profile;
  if (IsInterfaceSupported(catalog, modelName_, kUsb)) {
    if (rq7200th) vcomPage_->ShowWindow(true);
  } else {
    // "USB" stays checked but disabled; "Install printer" looks at "Serial" first.
    GetButton(IDC_IF_USB).Enable(false);
    GetButton(IDC_IF_SERIAL).SetCheck(ui::bst::Checked);
    serialPage_->ShowWindow(true);
  }
  const struct {
    int id;
    int kind;
  } others[] = {{IDC_IF_ETHERNET, kEthernet}, {IDC_IF_SERIAL, kSerial}, {IDC_IF_PARALLEL, kParallel}};
  for (const auto& other : others)
    if (!IsInterfaceSupported(catalog, modelName_, other.kind)) GetButton(other.id).Enable(false);

  ui::ComboBox baud = serialPage_->BaudBox();
  baud.AddString("115200");
  baud.AddString("38400");
  baud.SetCurSel(0);
  serialPage_->PortBox().SetCurSel(0);
  ui::ComboBox flow = serialPage_->FlowBox();
  flow.ResetContent();
  for (const char* mode : kFlowControlEntries) flow.AddString(mode);
  flow.SetCurSel(0);
  return true;
}

void CInterfaceConfigDlg::ShowOnly(ui::Dialog* page) {
  ui::Dialog* pages[] = {serialPage_.get(), parallelPage_.get(), vcomPage_.get(), ethernetPage_.get()};
  for (ui::Dialog* p : pages)
    if (p != page) p->ShowWindow(false);
  if (page) page->ShowWindow(true);
}

void CInterfaceConfigDlg::OnCommand(int id, int notifyCode) {
  // Input let through while "Detect" probes the ports must neither end the dialog nor swap
  // the page under the running detection. A radio button has already checked itself: the
  // serial page is the one shown, so "Serial" is checked again.
  if (serialPage_ && serialPage_->IsDetecting()) {
    if (id == IDC_IF_PARALLEL || id == IDC_IF_USB || id == IDC_IF_ETHERNET) {
      GetButton(id).SetCheck(ui::bst::Unchecked);
      GetButton(IDC_IF_SERIAL).SetCheck(ui::bst::Checked);
    }
    return;
  }
  switch (id) {
    case IDC_IF_SERIAL: ShowOnly(serialPage_.get()); return;
    case IDC_IF_PARALLEL: ShowOnly(parallelPage_.get()); return;
    case IDC_IF_USB: ShowOnly(IsRq7200Th() ? static_cast<ui::Dialog*>(vcomPage_.get()) : nullptr); return;
    case IDC_IF_ETHERNET: ShowOnly(ethernetPage_.get()); return;
    case IDC_INSTALL_PRINTER: OnInstallPrinter(); return;
    case IDC_BACK: EndDialog(kBack); return;
    default: ui::Dialog::OnCommand(id, notifyCode);
  }
}

void CInterfaceConfigDlg::Accept(const std::string& interfaceName) {
  ui::Transcript& transcript = kit().transcript();
  transcript.Choice("interface", interfaceName);
  transcript.Choice("port", portChoice);
  EndDialog(kInstall);
}

void CInterfaceConfigDlg::OnInstallPrinter() {
  ui::Transcript& transcript = kit().transcript();
  if (GetButton(IDC_IF_SERIAL).IsChecked()) {
    ui::ComboBox port = serialPage_->PortBox();
    ui::ComboBox baud = serialPage_->BaudBox();
    ui::ComboBox flow = serialPage_->FlowBox();
    portChoice = port.GetText();
    portParameter = baud.GetText();
    flowControlIndex = flow.GetCurSel();
    if (portChoice.empty()) return port.Focus();
    if (portParameter.empty()) return baud.Focus();
    Accept(interfacename::kSerial);
    transcript.Choice("baud", portParameter);
    transcript.Choice("flow", flow.GetItemText(flowControlIndex));
  } else if (GetButton(IDC_IF_PARALLEL).IsChecked()) {
    ui::ComboBox port = parallelPage_->PortBox();
    portChoice = port.GetText();
    if (portChoice.empty()) return port.Focus();
    Accept(interfacename::kParallel);
  } else if (GetButton(IDC_IF_USB).IsChecked()) {
    if (IsRq7200Th()) {
      ui::ComboBox port = vcomPage_->PortBox();
      portChoice = port.GetText();
      if (portChoice.empty()) return port.Focus();
      flowControlIndex = kVirtualComFlowIndex;
    } else {
      portChoice = kUsbPortChoice;
    }
    Accept(interfacename::kUsb);
  } else if (GetButton(IDC_IF_ETHERNET).IsChecked()) {
    portChoice = kNetworkPortChoice;
    ui::IpAddress address = ethernetPage_->IpControl();
    portParameter = address.GetText();
    if (portParameter == "0.0.0.0") return address.Focus();
    tcpPort = ethernetPage_->tcpPort;
    Accept(interfacename::kEthernet);
    transcript.Choice("ip", portParameter);
    transcript.Choice("tcp-port", std::to_string(tcpPort));
  } else {
    Accept(interfacename::kNone);
  }
}

#include "comm/CUsbVCOM.h"

#include <string>

#include "comm/PortList.h"
#include "engine/DriverFileCopy.h"
#include "engine/PnpDevices.h"
#include "resource.h"

namespace {

constexpr const char* kShippedUsbSerial = ".\\driver\\usb\\x86\\usbser.sys";
constexpr const char* kUsbSerialName = "USBSER.sys";
constexpr const char* kQuestionCaption = "Usb VCOM";

}  // namespace

CUsbVCOM::CUsbVCOM(AppContext& context) : ui::Dialog(context.kit, IDD_USB_VCOM_PAGE), context_(context) {}

bool CUsbVCOM::OnInitDialog() {
  FillPorts();
  return true;
}

void CUsbVCOM::OnCommand(int id, int notifyCode) {
  if (id == IDC_ADD_VCOM_PORT && notifyCode == ui::cmd::Clicked) {
    OnAddNewPort();
    return;
  }
  ui::Dialog::OnCommand(id, notifyCode);
}

ui::ComboBox CUsbVCOM::PortBox() { return GetComboBox(IDC_VCOM_COMBO); }

void CUsbVCOM::FillPorts() {
  FillPortBox(context_.platform.libraries, context_.platform.devices, PortBox(), kUsbVcomPortRule);
}

void CUsbVCOM::OnAddNewPort() {
  platform::Platform& os = context_.platform;
  if (ShowMessageBox(kit().LoadText(IDS_CONNECT_PRINTER), kQuestionCaption, ui::mb::OkCancel) == ui::idres::Ok &&
      !InstallUsbVirtualComDriver(os)) {
    // The package may lack the system's serial driver: put the shipped one in place and try again.
    const std::string system = SystemDirectory(os.files, kMaxPathChars);
    if (!system.empty()) (void)os.files.CopyFileA(kShippedUsbSerial, KernelDriverPath(system, kUsbSerialName), false);
    (void)InstallUsbVirtualComDriver(os);
  }
  // A port may have appeared (or not) whatever the answer.
  FillPorts();
}

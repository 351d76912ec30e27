#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "AppContext.h"
#include "engine/PortMonitorContract.h"
#include "ui/Dialog.h"

class CSerialConfigDlg;
class CEthernetConfigDlg;
class CParallaleConfigDlg;
class CUsbVCOM;

// Second wizard page: the printer's interface and port, each interface on a page of its own
// shown in the dialog's frame. Ends with kInstall (the port choice is in the public fields),
// kBack or Cancel.
class CInterfaceConfigDlg : public ui::Dialog {
public:
  static constexpr int kBack = 100;
  static constexpr int kInstall = 101;
  // Interface kinds as the catalog numbers them.
  static constexpr int kSerial = 0;
  static constexpr int kParallel = 1;
  static constexpr int kUsb = 2;
  static constexpr int kEthernet = 3;

  CInterfaceConfigDlg(AppContext& context, std::string modelName, ui::Dialog* parent = nullptr);
  ~CInterfaceConfigDlg() override;

  bool OnInitDialog() override;
  void OnCommand(int id, int notifyCode) override;

  std::string portChoice;
  std::string portParameter;
  // Each is meaningful only for the port kind that sets it: serial or virtual COM, ethernet.
  std::int32_t flowControlIndex = 0;
  std::int32_t tcpPort = kDefaultTcpPort;

private:
  bool IsRq7200Th() const;
  void ShowOnly(ui::Dialog* page);
  void OnInstallPrinter();
  void Accept(const std::string& interfaceName);

  AppContext& context_;
  std::string modelName_;
  std::unique_ptr<CSerialConfigDlg> serialPage_;
  std::unique_ptr<CEthernetConfigDlg> ethernetPage_;
  std::unique_ptr<CParallaleConfigDlg> parallelPage_;
  std::unique_ptr<CUsbVCOM> vcomPage_;
};

#pragma once
#include <cstdint>

#include "AppContext.h"
#include "engine/PortMonitorContract.h"
#include "ui/Dialog.h"

// The ethernet page of the interface dialog: the printer's IP address and TCP port.
class CEthernetConfigDlg : public ui::Dialog {
public:
  // boardKind: boardkind::Ostrel or boardkind::Lindor, the interface board the model carries.
  CEthernetConfigDlg(AppContext& context, std::int32_t boardKind);

  bool OnInitDialog() override;
  void OnCommand(int id, int notifyCode) override;

  ui::IpAddress IpControl();
  std::int32_t BoardKind() const { return boardKind_; }

  std::int32_t tcpPort = kDefaultTcpPort;

private:
  // "Setup...": the ethernet printers dialog; on OK its address and port become the page's.
  void OnSetup();

  AppContext& context_;
  std::int32_t boardKind_;
};

#pragma once
#include <cstdint>
#include <string>

#include "app/AppContext.h"
#include "ui/Dialog.h"

// Second wizard page: the printer's interface and port. Ends with kBack, kInstall or Cancel.
// This version offers no interface yet: it can only go back or cancel.
class CInterfaceConfigDlg : public ui::Dialog {
public:
  static constexpr int kBack = 100;
  static constexpr int kInstall = 101;

  CInterfaceConfigDlg(AppContext& context, std::string modelName, ui::Dialog* parent = nullptr);

  void OnCommand(int id, int notifyCode) override;

  const std::string& ModelName() const { return modelName_; }

  std::string portChoice;
  std::string portParameter;
  std::int32_t flowControlIndex = 0;
  std::int32_t tcpPort = 9100;

private:
  std::string modelName_;
};

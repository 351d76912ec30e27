#pragma once
// The import/export page of the printer's device property sheet.
#include <cstdint>
#include <string>

#include "platform/Platform.h"
#include "ui/Dialog.h"
#include "uiplugin/PropertiesTransfer.h"

namespace uiplugin {

class PropertiesTransferPage : public ui::Dialog {
public:
  PropertiesTransferPage(ui::Kit& kit, platform::Platform& platform, std::u16string printerName);
  // A click (code 0) on "Import Properties..." or "Export Properties..." answers the transfer's
  // 1 or 0; any other command answers 1.
  intptr_t Command(int id, int notifyCode);
  void OnCommand(int id, int notifyCode) override { (void)Command(id, notifyCode); }

private:
  PropertiesTransfer transfer_;
};

}  // namespace uiplugin

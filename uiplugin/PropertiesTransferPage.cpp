#include "uiplugin/PropertiesTransferPage.h"

#include <utility>

#include "uiplugin/res/resource.h"

namespace uiplugin {

PropertiesTransferPage::PropertiesTransferPage(ui::Kit& kit, platform::Platform& platform, std::u16string printerName)
    : ui::Dialog(kit, IDD_IMPORT_EXPORT),
      // Only painting: input now could close the sheet under the running transfer.
      transfer_(platform, std::move(printerName), [&pageKit = kit] { (void)pageKit.PumpPaintMessages(); }) {}

intptr_t PropertiesTransferPage::Command(int id, int notifyCode) {
  if (notifyCode == 0 && id == IDC_IMPORT_PROPERTIES)
    return RunPropertiesTransfer(*this, transfer_, TransferDirection::Import);
  if (notifyCode == 0 && id == IDC_EXPORT_PROPERTIES)
    return RunPropertiesTransfer(*this, transfer_, TransferDirection::Export);
  return 1;
}

}  // namespace uiplugin

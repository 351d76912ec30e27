#pragma once
// The page that sets, for each TrueType family of the machine, the printer's device font replacing it.
// The rows on screen are the working copy; "Save Fonts" stores them in the printer's data.
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/Platform.h"
#include "ui/Dialog.h"

namespace uiplugin {

class FontSubstitutionPage : public ui::Dialog {
public:
  FontSubstitutionPage(ui::Kit& kit, platform::Platform& platform, platform::RawPrinterHandle printer);

  bool OnInitDialog() override;
  void OnCommand(int id, int notifyCode) override;
  intptr_t OnNotify(int id, int code) override;  // reads NotifyItem()
  // The page was shown or hidden: selects and clicks the first row.
  void OnShowPage();

  // Rebuilds the rows from the stored table, or with `forced` as every row's device font.
  void FillFontList(std::optional<std::u16string_view> forced = std::nullopt);

private:
  void FillDeviceFonts();
  void SetUpList();
  void SelectAndClickFirstRow();
  void ShowClickedRow(int item);
  void ApplyChosenDeviceFont();
  void ToggleReplaceAll();
  void SaveFonts();

  platform::Platform& platform_;
  platform::RawPrinterHandle printer_;
};

}  // namespace uiplugin

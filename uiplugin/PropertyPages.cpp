#include "uiplugin/PropertyPages.h"

#include <memory>

#include "uiplugin/FontSubstitutionPage.h"
#include "uiplugin/LivePages.h"
#include "uiplugin/Module.h"
#include "uiplugin/PropertiesTransferPage.h"
#include "uiplugin/res/resource.h"

namespace uiplugin {

namespace {

oemui::LONG_PTR AddPage(const oemui::PROPSHEETUI_INFO& info, oemui::WORD templateId, oemui::DLGPROC procedure) {
  oemui::PROPSHEETPAGEW_V2 page{};
  page.dwSize = sizeof page;
  page.hInstance = TheModule().instance;
  page.pszTemplate = oemui::MakeIntResource(templateId);
  page.pfnDlgProc = procedure;
  return info.pfnComPropSheet(info.hComPropSheet, oemui::CpsFuncAddPropSheetPageW,
                              reinterpret_cast<oemui::LPARAM>(&page), 0);
}

LivePages& Pages() {
  static LivePages pages;
  return pages;
}

int LowWord(oemui::WPARAM value) { return static_cast<int>(value & 0xFFFF); }
int HighWord(oemui::WPARAM value) { return static_cast<int>((value >> 16) & 0xFFFF); }

// The adapter every page shares: the page object is made when its window is, from the printer the
// module recorded at that moment, and goes with the window.
template <class Page, class Make, class Handle>
oemui::INT_PTR PageMessage(oemui::HWND window, oemui::UINT message, oemui::WPARAM wParam, oemui::LPARAM lParam,
                           Make make, Handle handle) {
  Module& module = TheModule();
  if (message == oemui::WmInitDialog) {
    ui::Kit* kit = module.pageKit ? module.pageKit() : nullptr;
    if (kit == nullptr || module.platform == nullptr) return 0;
    try {
      Pages().Add(window, *kit, make(*kit, *module.platform, CurrentPrinter()));
    } catch (...) {
      return 0;
    }
  } else if (message == oemui::WmNcDestroy) {
    Pages().Remove(window);
    return 0;
  }
  return Pages().Dispatch<Page>(window, [&](Page& page) { return handle(page, message, wParam, lParam); });
}

std::unique_ptr<PropertiesTransferPage> MakeTransferPage(ui::Kit& kit, platform::Platform& platform,
                                                         const CurrentPrinterRecord& printer) {
  return std::make_unique<PropertiesTransferPage>(kit, platform, printer.name);
}

oemui::INT_PTR TransferPageMessage(PropertiesTransferPage& page, oemui::UINT message, oemui::WPARAM wParam,
                                   oemui::LPARAM) {
  if (message == oemui::WmInitDialog) {
    page.DispatchInit();
    return 0;
  }
  return message == oemui::WmCommand ? page.Command(LowWord(wParam), HighWord(wParam)) : 0;
}

std::unique_ptr<FontSubstitutionPage> MakeFontPage(ui::Kit& kit, platform::Platform& platform,
                                                   const CurrentPrinterRecord& printer) {
  return std::make_unique<FontSubstitutionPage>(kit, platform, printer.handle);
}

oemui::INT_PTR FontPageMessage(FontSubstitutionPage& page, oemui::UINT message, oemui::WPARAM wParam,
                               oemui::LPARAM lParam) {
  switch (message) {
    case oemui::WmInitDialog:
      return page.DispatchInit() ? 1 : 0;
    case oemui::WmShowWindow:
      page.OnShowPage();
      return 1;
    case oemui::WmCommand: {
      // A device-font change with nothing chosen is the one command the page does not take.
      const bool nothingChosen = LowWord(wParam) == IDC_DEVICE_FONT && HighWord(wParam) == ui::cmd::SelChange &&
                                 page.GetComboBox(IDC_DEVICE_FONT).GetCurSel() < 0;
      page.DispatchCommand(LowWord(wParam), HighWord(wParam));
      return nothingChosen ? 0 : 1;
    }
    case oemui::WmNotify: {
      const auto& header = *reinterpret_cast<const oemui::NMHDR*>(lParam);
      if (header.idFrom != IDC_FONT_LIST || header.code != oemui::NmClick) return 0;
      const auto& click = *reinterpret_cast<const oemui::NMITEMACTIVATE*>(lParam);
      page.DispatchNotify(IDC_FONT_LIST, ui::notify::Click, click.iItem);
      return 1;
    }
    default:
      return 0;
  }
}

}  // namespace

oemui::INT_PTR ImportExportPageProc(oemui::HWND window, oemui::UINT message, oemui::WPARAM wParam,
                                    oemui::LPARAM lParam) {
  return PageMessage<PropertiesTransferPage>(window, message, wParam, lParam, &MakeTransferPage, &TransferPageMessage);
}

oemui::INT_PTR FontSubstitutionPageProc(oemui::HWND window, oemui::UINT message, oemui::WPARAM wParam,
                                        oemui::LPARAM lParam) {
  return PageMessage<FontSubstitutionPage>(window, message, wParam, lParam, &MakeFontPage, &FontPageMessage);
}

oemui::HRESULT DevicePropertySheets(oemui::PROPSHEETUI_INFO* info, oemui::LPARAM lParam) {
  if (info == nullptr || info->Version != oemui::PropSheetUiInfoVersion) {
    SetLastError(platform::winerr::InvalidParameter);
    return oemui::hresult::Fail;
  }
  switch (info->Reason) {
    case oemui::psuireason::Init:
      if (info->pfnComPropSheet == nullptr) {
        SetLastError(platform::winerr::InvalidParameter);
        return oemui::hresult::Fail;
      }
      AddPage(*info, ImportExportPageTemplate, &ImportExportPageProc);
      info->Result = static_cast<oemui::ULONG_PTR>(AddPage(*info, FontSubstitutionPageTemplate, &FontSubstitutionPageProc));
      break;
    case oemui::psuireason::GetInfoHeader:
      if (auto* header = reinterpret_cast<oemui::PROPSHEETUI_INFO_HEADER*>(lParam)) header->pTitle = u"OEM UI Page";
      info->Result = 1;
      break;
    case oemui::psuireason::Destroy:
      info->Result = 1;
      break;
    case oemui::psuireason::SetResult:
      if (const auto* set = reinterpret_cast<const oemui::SETRESULT_INFO*>(lParam)) {
        info->Result = static_cast<oemui::ULONG_PTR>(set->Result);
      }
      break;
    case oemui::psuireason::GetIcon:
      info->Result = 0;
      break;
    default:
      break;
  }
  return oemui::hresult::Ok;
}

}  // namespace uiplugin

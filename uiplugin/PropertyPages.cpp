#include "uiplugin/PropertyPages.h"

#include "uiplugin/Module.h"

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

oemui::INT_PTR AnswerInitialisation(oemui::UINT message) { return message == oemui::WmInitDialog ? 1 : 0; }

}  // namespace

oemui::INT_PTR ImportExportPageProc(oemui::HWND, oemui::UINT message, oemui::WPARAM, oemui::LPARAM) {
  return AnswerInitialisation(message);
}

oemui::INT_PTR FontSubstitutionPageProc(oemui::HWND, oemui::UINT message, oemui::WPARAM, oemui::LPARAM) {
  return AnswerInitialisation(message);
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

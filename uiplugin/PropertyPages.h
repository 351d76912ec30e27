#pragma once
// The two pages the plug-in adds to the printer's device property sheet.
#include "platform/plugin/OemUiAbi.h"

namespace uiplugin {

constexpr oemui::WORD ImportExportPageTemplate = 106;
constexpr oemui::WORD FontSubstitutionPageTemplate = 107;

// Dialog procedures of the pages: adapters from the window messages to the page objects.
oemui::INT_PTR KVX_STDCALL ImportExportPageProc(oemui::HWND page, oemui::UINT message, oemui::WPARAM wParam,
                                               oemui::LPARAM lParam);
oemui::INT_PTR KVX_STDCALL FontSubstitutionPageProc(oemui::HWND page, oemui::UINT message, oemui::WPARAM wParam,
                                                   oemui::LPARAM lParam);

// IPrintOemUI::DevicePropertySheets.
oemui::HRESULT DevicePropertySheets(oemui::PROPSHEETUI_INFO* info, oemui::LPARAM lParam);

}  // namespace uiplugin

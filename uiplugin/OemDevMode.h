#pragma once
// The plug-in's private section of the device mode: two printer settings behind the standard header,
// their defaults, conversion of an incoming section and repair of out-of-range values.
#include <cstdint>

#include "platform/Win32Types.h"
#include "platform/plugin/OemUiAbi.h"

namespace uiplugin {

constexpr platform::DWORD OemSignature = 0x4D534654;  // bytes "TFSM" in memory
constexpr platform::DWORD OemDevmodeVersion = 1;
constexpr platform::DWORD DefaultLineFeeds = 2;
constexpr platform::DWORD MaxLineFeeds = 100;
constexpr platform::DWORD DefaultXCompression = 1;

// Stored inside device modes the spooler keeps: the layout is fixed, little-endian.
struct OemPrivateDevmode {
  oemui::OEM_DMEXTRAHEADER dmExtraHeader;
  platform::DWORD dwLineFeeds;
  platform::DWORD dwXCompression;
};
static_assert(sizeof(OemPrivateDevmode) == 20);

constexpr OemPrivateDevmode DefaultOemPrivateDevmode() {
  return {{sizeof(OemPrivateDevmode), OemSignature, OemDevmodeVersion}, DefaultLineFeeds, DefaultXCompression};
}

// Converts the caller's section `in` into `out` (20 writable bytes), then lets the printer's data
// override the two settings. `in` holds its own dwSize bytes, at least the 4 of dwSize: the driver
// core finds sections by that size. Nothing past min(dwSize, 20) bytes of it is read. Records need not
// be aligned. False, with nothing changed, when either is null.
bool ConvertOemPrivateDevmode(const void* in, void* out, const oemui::OEMDMPARAM& param);

// Restores the header and brings each setting back to its default when out of range (20 bytes).
bool ValidateOemPrivateDevmode(void* record);

// IPrintOemUI::DevMode.
oemui::HRESULT DevMode(platform::DWORD mode, oemui::OEMDMPARAM* param);

}  // namespace uiplugin

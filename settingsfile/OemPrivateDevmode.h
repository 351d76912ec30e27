#pragma once
// The plug-in's private section of a device mode: two printer settings behind the standard header,
// their defaults and the repair of out-of-range values. Every device mode of the plug-in's printers
// carries it, so whatever takes a device mode from elsewhere repairs it the same way.
#include "platform/Win32Types.h"
#include "platform/plugin/OemUiAbi.h"

namespace settingsfile {

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

// Restores the header and brings each setting back to its default when out of range (20 bytes,
// not necessarily aligned). False for null.
bool ValidateOemPrivateDevmode(void* record);

}  // namespace settingsfile

#include "settingsfile/OemPrivateDevmode.h"

#include <bit>
#include <cstring>

namespace settingsfile {

static_assert(std::endian::native == std::endian::little, "the stored record is little-endian");

bool ValidateOemPrivateDevmode(void* record) {
  if (record == nullptr) return false;
  OemPrivateDevmode value;
  std::memcpy(&value, record, sizeof value);
  value.dmExtraHeader = DefaultOemPrivateDevmode().dmExtraHeader;
  if (value.dwLineFeeds > MaxLineFeeds) value.dwLineFeeds = DefaultLineFeeds;
  if (value.dwXCompression > 1) value.dwXCompression = DefaultXCompression;
  std::memcpy(record, &value, sizeof value);
  return true;
}

}  // namespace settingsfile

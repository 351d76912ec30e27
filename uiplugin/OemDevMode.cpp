#include "uiplugin/OemDevMode.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "uiplugin/Module.h"

namespace uiplugin {

namespace {

using platform::DWORD;
constexpr std::size_t RecordSize = sizeof(OemPrivateDevmode);

// A printer-data value read through a 4-byte buffer. A shorter value is zero-extended; a longer one
// or a failed read leaves the field alone. The value's type is not looked at.
void OverrideFromPrinterData(oemui::HANDLE printer, const std::u16string& valueName, DWORD& field) {
  platform::Platform* p = TheModule().platform;
  if (p == nullptr) return;
  DWORD type = 0;
  DWORD needed = 0;
  std::vector<std::uint8_t> data;
  if (p->spooler.GetPrinterDataW(printer, valueName, sizeof(DWORD), type, data, needed) != platform::winerr::Success) {
    return;
  }
  DWORD value = 0;
  const std::size_t count = std::min({data.size(), std::size_t{needed}, sizeof value});
  if (count > 0) std::memcpy(&value, data.data(), count);
  field = value;
}

}  // namespace

bool ConvertOemPrivateDevmode(const void* in, void* out, const oemui::OEMDMPARAM& param) {
  if (in == nullptr || out == nullptr) return false;
  OemPrivateDevmode result;
  std::memcpy(&result, out, RecordSize);
  const DWORD outSize = result.dmExtraHeader.dwSize;
  result.dwLineFeeds = DefaultLineFeeds;
  result.dwXCompression = DefaultXCompression;

  const auto* input = static_cast<const std::uint8_t*>(in);
  DWORD inSize = 0;
  std::memcpy(&inSize, input, sizeof inSize);
  const std::size_t readable = std::min(std::size_t{inSize}, RecordSize);
  // A section too short to carry a signature is not this plug-in's.
  bool ours = false;
  if (readable >= offsetof(oemui::OEM_DMEXTRAHEADER, dwVersion)) {
    DWORD inSignature = 0;
    std::memcpy(&inSignature, input + offsetof(oemui::OEM_DMEXTRAHEADER, dwSignature), sizeof inSignature);
    ours = inSignature == result.dmExtraHeader.dwSignature;
  }
  if (ours) {
    std::memmove(&result, input, std::min(readable, std::size_t{outSize}));
    OverrideFromPrinterData(param.hPrinter, u"TOLV_LINE_FEEDS_VALUE", result.dwLineFeeds);
    OverrideFromPrinterData(param.hPrinter, u"TOLV_X_COMPRESSION_VALUE", result.dwXCompression);
  } else {
    result.dmExtraHeader.dwSignature = OemSignature;
  }
  result.dmExtraHeader.dwVersion = OemDevmodeVersion;
  result.dmExtraHeader.dwSize = RecordSize;
  std::memcpy(out, &result, RecordSize);
  return true;
}

oemui::HRESULT DevMode(DWORD mode, oemui::OEMDMPARAM* param) {
  if (param == nullptr || mode < oemui::oemdm::Size || mode > oemui::oemdm::Merge) {
    SetLastError(platform::winerr::InvalidParameter);
    return oemui::hresult::Fail;
  }
  if (mode == oemui::oemdm::Size) {
    param->cbBufSize = RecordSize;
    return oemui::hresult::Ok;
  }
  // cbBufSize is the size of the caller's output record: never write past it.
  if (param->pOEMDMOut != nullptr && param->cbBufSize < RecordSize) {
    SetLastError(platform::winerr::InsufficientBuffer);
    return oemui::hresult::Fail;
  }
  switch (mode) {
    case oemui::oemdm::Default:
      if (param->pOEMDMOut != nullptr) {
        const OemPrivateDevmode defaults = DefaultOemPrivateDevmode();
        std::memcpy(param->pOEMDMOut, &defaults, RecordSize);
      }
      break;
    case oemui::oemdm::Convert:
      ConvertOemPrivateDevmode(param->pOEMDMIn, param->pOEMDMOut, *param);
      break;
    default:
      ConvertOemPrivateDevmode(param->pOEMDMIn, param->pOEMDMOut, *param);
      ValidateOemPrivateDevmode(param->pOEMDMOut);
      break;
  }
  return oemui::hresult::Ok;
}

}  // namespace uiplugin

#include "engine/OsKind.h"

std::optional<OsKind> OsKindFromVersion(const platform::OsVersionInfoA& info) {
  switch (info.dwPlatformId) {
    case platform::osplatform::Win32s:
      return kOsWin31;
    case platform::osplatform::Windows:
      return info.dwMinorVersion == 0 ? kOsWin95 : kOsWin98;
    case platform::osplatform::Nt:
      switch (info.dwMajorVersion) {
        case 4: return kOsWinNt4;
        case 5:
          if (info.dwMinorVersion == 1) return kOsWinXp;
          if (info.dwMinorVersion == 2) return kOsWin2003;
          return kOsWin2000;
        case 6: return kOsVistaOrLater;
        default: return std::nullopt;
      }
    default:
      return std::nullopt;
  }
}

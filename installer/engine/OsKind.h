#pragma once
#include <cstdint>
#include <optional>

#include "platform/VersionInfo.h"

// Operating-system classification; kinds 5 to 8 are installable.
enum OsKind : std::int32_t {
  kOsUnknown = 0,  // the pick dialog was closed without a choice
  kOsWin31 = 1,
  kOsWin95 = 2,
  kOsWin98 = 3,
  kOsWinNt4 = 4,
  kOsWin2000 = 5,
  kOsWinXp = 6,
  kOsWin2003 = 7,
  kOsVistaOrLater = 8,
};

// The kind a version record stands for; none when the record is outside the known table.
std::optional<OsKind> OsKindFromVersion(const platform::OsVersionInfoA& info);

#include "app/OsKind.h"

#include "app/CPickOSType.h"

OsKind DetectOsKind(AppContext& context) {
  platform::OsVersionInfoA info;
  info.dwOSVersionInfoSize = 148;
  if (context.platform.version.GetVersionExA(info) == platform::winerr::Success) {
    if (auto kind = OsKindFromVersion(info)) return *kind;
  }
  CPickOSType pick(context);
  pick.DoModal();
  return pick.osKind;
}

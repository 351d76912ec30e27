#include "platform/win32/Win32Platform.h"

namespace platform::win32 {

Platform Win32Platform::platform() {
  return Platform{clock_,    registry_, profile_, version_,   process_, services_,
                  spooler_,  messages_, files_,   libraries_, devices_, threads_, serial_, printing_,
                  sockets_, ipHelper_, lastError_, fonts_};
}

}  // namespace platform::win32

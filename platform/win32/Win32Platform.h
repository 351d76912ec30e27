#pragma once
#include "platform/Platform.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32DeviceSetup.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Fonts.h"
#include "platform/win32/Win32LastError.h"
#include "platform/win32/Win32Libraries.h"
#include "platform/win32/Win32PrintSpooler.h"
#include "platform/win32/Win32Printing.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Profile.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Serial.h"
#include "platform/win32/Win32Sockets.h"
#include "platform/win32/Win32ServiceControl.h"
#include "platform/win32/Win32Threads.h"
#include "platform/win32/Win32Version.h"
#include "platform/win32/Win32WindowMessages.h"

namespace platform::win32 {

// The real services of the running Windows, owned in one place for the composition root.
class Win32Platform {
public:
  Win32Platform() = default;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  Platform platform();

private:
  Win32Clock clock_;
  Win32Registry registry_;
  Win32Profile profile_;
  Win32Version version_;
  Win32Process process_;
  Win32ServiceControl services_;
  Win32PrintSpooler spooler_;
  Win32WindowMessages messages_;
  Win32FileSystem files_;
  Win32Libraries libraries_;
  Win32DeviceSetup devices_;
  Win32Threads threads_;
  Win32Serial serial_;
  Win32Printing printing_;
  Win32Sockets sockets_;
  Win32IpHelper ipHelper_;
  Win32LastError lastError_;
  Win32Fonts fonts_;
};

}  // namespace platform::win32

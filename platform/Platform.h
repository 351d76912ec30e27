#pragma once
#include "platform/Clock.h"
#include "platform/DeviceSetup.h"
#include "platform/FileSystem.h"
#include "platform/Fonts.h"
#include "platform/IpHelper.h"
#include "platform/LastError.h"
#include "platform/PrintSpooler.h"
#include "platform/Printing.h"
#include "platform/PrivateProfile.h"
#include "platform/ProcessInfo.h"
#include "platform/Registry.h"
#include "platform/Serial.h"
#include "platform/Sockets.h"
#include "platform/ServiceControl.h"
#include "platform/Threads.h"
#include "platform/VersionInfo.h"

namespace platform {

// The operating-system services the system uses, handed to it by constructor.
struct Platform {
  Clock& clock;
  Registry& registry;
  PrivateProfile& profile;
  VersionInfo& version;
  ProcessInfo& process;
  ServiceControl& services;
  PrintSpooler& spooler;
  WindowMessages& messages;
  FileSystem& files;
  Libraries& libraries;
  DeviceSetup& devices;
  Threads& threads;
  Serial& serial;
  Printing& printing;
  Sockets& sockets;
  IpHelper& ipHelper;
  LastError& lastError;
  Fonts& fonts;
};

}  // namespace platform

#pragma once
// The facts of the simulated machine that are plain settings (kept in machine.json).
// Change them between runs, not while the system is running on another thread.
#include <map>
#include <optional>
#include <string>

#include "platform/ProcessInfo.h"
#include "platform/Serial.h"
#include "platform/ServiceControl.h"
#include "platform/VersionInfo.h"
#include "platform/sim/Text.h"

namespace platform::sim {

struct OsVersionConfig {
  // Windows 10 as a program without a compatibility manifest sees it.
  DWORD platformId = osplatform::Nt;
  DWORD major = 6;
  DWORD minor = 2;
  DWORD build = 9200;
  std::string csd;
  // Nonzero: GetVersionExA fails with this error.
  DWORD queryError = 0;
};

// A service and how long its transitions take in virtual time. `state` is the service's state
// now: the service manager keeps it up to date as transitions complete.
struct ServiceConfig {
  DWORD state = svcstate::Running;  // Stopped, StartPending, StopPending or Running
  DWORD stopMs = 100;
  DWORD stopWaitHint = 2000;
  DWORD startMs = 800;
  DWORD startWaitHint = 3000;
  DWORD checkPointEveryMs = 500;  // 0: the check point stays at 1
  bool startStalls = false;          // the check point of a start never advances
  bool startNeverCompletes = false;  // a start stays pending for ever
};

struct UserConfig {
  // false: a standard user, refused (5) what Windows reserves to administrators.
  bool administrator = true;
  bool canControlServices = true;
  // What GetUserNameA answers; NetUserGetInfo knows this account only.
  std::string name = "User";
  // Nonzero: NetUserGetInfo fails with this NET_API_STATUS.
  DWORD accountQueryError = 0;
};

using ServiceConfigs = std::map<std::string, ServiceConfig, LessNoCase>;

constexpr const char* kSpoolerService = "Spooler";
inline ServiceConfigs DefaultServices() { return {{kSpoolerService, ServiceConfig{}}}; }

// What is attached to a COM port (machine.json "serial"); a port not listed is silent.
struct SerialAttachment {
  bool busy = false;    // held open by another program: opening the port fails with 5
  DWORD printerBaud = 0;  // nonzero: a printer that answers the probe at this rate, 8N1
  bool echo = false;    // sends back what it receives
  std::string device;   // a device of this computer (a pty, /dev/ttyUSB0) that takes the port's calls
  // The port's default configuration (SetDefaultCommConfigA); none: the system's 9600 8N1.
  std::optional<CommState> defaultConfig;
};
// By port name without the colon ("COM2").
using SerialAttachments = std::map<std::string, SerialAttachment, LessNoCase>;

struct MachineConfig {
  OsVersionConfig os;
  UserConfig user;
  ServiceConfigs services = DefaultServices();
  LANGID uiLanguage = lang::EnglishUs;
  std::string programFile;  // given by machine.json or the default machine (MachineFile.h)
  DWORD startTick = 0;
  SerialAttachments serial;
};

}  // namespace platform::sim

#pragma once
// Takes a printer this installer set up off the machine with everything the installation added
// that no other printer needs: queue, paper form, port with its settings, driver with its files,
// and the port monitor with its modules once it has no printer left. Interface drivers stay.
#include <functional>
#include <string>
#include <vector>

#include "engine/Win2kXPInstaller.h"

enum class RemovalOutcome { Removed, NotFound, Refused, Failed };

class PrinterRemoval {
public:
  // `note` hears what stays and why (a port or driver another printer uses, a module in use).
  PrinterRemoval(Win2kXPInstaller& installer, std::function<void(const std::string&)> note);

  // Every failure is logged and ends the removal where it is: the printer goes only after its queue
  // and paper form, its port and driver only after it, the port's settings only after the port. What
  // is left of a removed printer is noted under HKLM\SOFTWARE\Korvex\KvxInstaller\Removals, so the
  // next removal of the same name finishes it.
  RemovalOutcome Remove(const std::string& printerName);
  // After the removals: the installer's keys that hold nothing any more, and a port monitor no
  // printer is on with its modules (one that was in use before may have been let go since).
  void Tidy();

private:
  struct Leftovers {
    std::string printer, port, driver;
  };
  RemovalOutcome RemoveQueue(const platform::PrinterInfo2A& printer, const std::vector<platform::PrinterInfo2A>& others);
  bool Finish(const Leftovers& left, const std::vector<platform::PrinterInfo2A>& others);
  bool RemovePort(const std::string& port);
  bool RemoveDriver(const std::string& driver);
  bool RemoveMonitor();
  void RemoveMonitorFiles();
  bool Note(const Leftovers& left);
  bool ReadNote(const std::string& printer, Leftovers& left);
  bool Failed(const char* message, const std::string& name, platform::DWORD error);

  Win2kXPInstaller& installer_;
  platform::Platform& os_;
  std::function<void(const std::string&)> note_;
};

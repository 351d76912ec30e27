#pragma once
// Printers, drivers and driver files that the spooler tests register, and their removal, so a
// run leaves the prefix as it found it and a second run in the same prefix starts clean.
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "WineHost.h"

namespace spooler_test {

inline std::string DriverDirectory() {
  char directory[MAX_PATH] = {};
  DWORD needed = 0;
  GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(directory), sizeof directory, &needed);
  return directory;
}

// Wine answers DocumentPropertiesA through the driver's configuration module, so that one must
// be a real printer UI module: Wine's own driver stands in for it. Elsewhere there is none to use.
inline std::string StandInConfigModule() {
  std::string wine = DriverDirectory() + "\\3\\wineps.drv";
  return GetFileAttributesA(wine.c_str()) != INVALID_FILE_ATTRIBUTES ? wine : std::string();
}

// Files put into the driver directory, deleted again with the object (with the copies that
// AddPrinterDriverA made in the version folder, where the spooler lets go of them).
class DriverFiles {
public:
  DriverFiles() = default;
  DriverFiles(const DriverFiles&) = delete;
  DriverFiles& operator=(const DriverFiles&) = delete;
  ~DriverFiles() {
    for (const std::string& path : made_) {
      DeleteFileA(path.c_str());
      std::string::size_type slash = path.rfind('\\');
      DeleteFileA((path.substr(0, slash) + "\\3" + path.substr(slash)).c_str());
    }
  }

  // A small file at a full Windows path, or a copy of `source` when one is named.
  void Make(const std::string& path, const std::string& source = {}) {
    made_.push_back(path);
    if (!source.empty() && CopyFileA(source.c_str(), path.c_str(), FALSE)) return;
    std::ofstream(path, std::ios::binary) << "kvx test driver file\n";
  }

private:
  std::vector<std::string> made_;
};

// Deletes a printer by name. Under Wine a failed AddPrinterA can leave a printer key that
// OpenPrinterA no longer finds; that key goes too.
inline void RemovePrinter(const std::string& name) {
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
  HANDLE printer = nullptr;
  if (OpenPrinterA(const_cast<char*>(name.c_str()), &printer, &defaults)) {
    DeletePrinter(printer);
    ClosePrinter(printer);
  }
  if (wine_host::UnderWine())
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, ("System\\CurrentControlSet\\Control\\Print\\Printers\\" + name).c_str());
}

inline void RemoveDriver(const std::string& name) {
  DeletePrinterDriverA(nullptr, nullptr, const_cast<char*>(name.c_str()));
}

}  // namespace spooler_test

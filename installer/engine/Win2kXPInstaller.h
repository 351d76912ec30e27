#pragma once
#include <array>
#include <string>
#include <vector>

#include "engine/CommonInstaller.h"

// The installer for Windows 2000 and later: Unidrv driver files from ".\WIN2KXP", the spooler
// restarted through the service manager.
class Win2kXPInstaller : public CommonInstaller {
public:
  static constexpr std::size_t kDependentFilesSize = 500;

  explicit Win2kXPInstaller(EngineContext context);

  void CycleSpooler() override;
  void StartSpoolerAndWait() override;
  void StopSpooler() override;
  void SetSourceDirectory() override;
  void BuildFileList(const std::string& printerName) override;
  platform::DWORD FillDriverInfo(platform::DriverInfo3A& info) override;
  void FillPrinterInfo(platform::PrinterInfo2A& info) override;
  ~Win2kXPInstaller() override;
  void SetPortName(const std::string& name) override;
  // Replaces "<system>\drivers\Tolvpar.sys" with the shipped one when that is newer.
  bool InstallParallelPortDriver() override;

  // True when the service runs at the end; starts it and follows its progress when it does not.
  bool WaitForSpoolerRunning();
  // The file-set fields from the catalog, and ostrelModel for modelName.
  void ReadDriverFileSet();

  std::string driverDll;
  std::string gpdFile;
  std::array<char, kDependentFilesSize> dependentFiles{};

private:
  // The Unidrv modules the driver is built on.
  static constexpr const char* kUnidrvDll = "unidrv.dll";
  static constexpr const char* kUnidrvUiDll = "unidrvui.dll";
  static constexpr const char* kUniresDll = "unires.dll";

  std::string FileSetSection() const;
  // The files that follow the driver's own module, in the copy list and the dependent files alike.
  std::vector<std::string> TrailingDriverFiles() const;
};

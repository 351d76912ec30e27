#pragma once
#include <string>

#include "engine/EngineContext.h"
#include "engine/InstallerRecord.h"
#include "platform/PrintSpooler.h"

// One printer installation. The operating-system variants differ in the virtual operations.
class CommonInstaller {
public:
  explicit CommonInstaller(EngineContext context);
  CommonInstaller(const CommonInstaller&) = delete;
  CommonInstaller& operator=(const CommonInstaller&) = delete;

  virtual void CycleSpooler() {}
  virtual void StartSpoolerAndWait() {}
  virtual void StopSpooler() {}
  // The kernel driver directory ("<system>\Drivers") in at most `size` characters with its NUL;
  // empty when the system directory cannot be read. Always 0.
  virtual platform::DWORD GetDriverDirectory(std::string& directory, platform::DWORD size);
  virtual void SetSourceDirectory() = 0;
  // Appends the driver's files to fileList, in copy order.
  virtual void BuildFileList(const std::string& printerName) = 0;
  // Everything but pName. A Win32 error (already logged) when the record cannot be filled.
  virtual platform::DWORD FillDriverInfo(platform::DriverInfo3A& info) = 0;
  // Everything but pPrinterName and pDriverName, with an all-zero device mode attached.
  virtual void FillPrinterInfo(platform::PrinterInfo2A& info) = 0;
  virtual bool AddDriver(const std::string& printerName);
  virtual bool AddPrinterQueue(const std::string& printerName);
  virtual ~CommonInstaller();
  virtual void SetPortName(const std::string& name);
  virtual bool InstallParallelPortDriver();

  // Deletes the copies of fileList's files from the printer driver directory; failures are ignored.
  void RemoveStagedDriverFiles();

  // The name the driver is registered under, from the OS kind of this moment.
  std::string DriverName(const std::string& printerName) const;
  const EngineContext& context() const { return context_; }

  InstallerRecord record;

protected:
  platform::Platform& os() const { return context_.platform; }

private:
  void WritePrinterTypeValue();

  EngineContext context_;
};

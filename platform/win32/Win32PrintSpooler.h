#pragma once
#include "platform/PrintSpooler.h"

namespace platform::win32 {

// Owns one printer handle (from OpenPrinterA or AddPrinterA) and closes it when destroyed.
class Win32PrinterHandle final : public PrinterHandle {
public:
  explicit Win32PrinterHandle(void* handle) : handle_(handle) {}
  ~Win32PrinterHandle() override;
  Win32PrinterHandle(const Win32PrinterHandle&) = delete;
  Win32PrinterHandle& operator=(const Win32PrinterHandle&) = delete;

  RawPrinterHandle Raw() const override { return handle_; }
  DWORD GetPrinter2A(DWORD bufferSize, DWORD& needed, PrinterInfo2A& info) override;
  // With hasSecurityDescriptor the printer's current descriptor is passed back unchanged.
  DWORD SetPrinter2A(const PrinterInfo2A& info) override;
  DWORD SetPrinterDataA(const std::string& valueName, DWORD type, const std::vector<std::uint8_t>& data) override;
  LONG DocumentPropertiesA(const std::string& deviceName, std::vector<std::uint8_t>* out,
                           const std::vector<std::uint8_t>* in, DWORD mode) override;
  DWORD StartDocPrinterA(const std::string& docName, const OptText& outputFile, const OptText& datatype,
                         DWORD& jobId) override;
  DWORD StartPagePrinter() override;
  DWORD WritePrinter(std::span<const std::uint8_t> bytes, DWORD& written) override;
  DWORD EndPagePrinter() override;
  DWORD EndDocPrinter() override;
  DWORD AbortPrinter() override;
  DWORD SetPrinterControl(DWORD command) override;
  DWORD DeletePrinter() override;
  DWORD AddFormA(const FormInfo1A& form) override;
  DWORD DeleteFormA(const std::string& formName) override;

private:
  void* handle_;
};

class Win32PrintSpooler final : public PrintSpooler {
public:
  DWORD OpenPrinterA(const std::string& printerName, DWORD desiredAccess,
                     std::unique_ptr<PrinterHandle>& out) override;
  DWORD AddPrinterDriverA(const DriverInfo3A& info) override;
  // A new printer gets the spooler's default security: the seam carries no descriptor to give it.
  DWORD AddPrinterA(const PrinterInfo2A& info, std::unique_ptr<PrinterHandle>& out) override;
  DWORD GetPrinterDriverDirectoryA(std::string& directory) override;
  DWORD EnumPortsA(std::vector<std::string>& portNames) override;
  DWORD AddMonitorA(const std::string& name, const OptText& environment, const std::string& dllName) override;
  DWORD AddPortExA(const std::string& portName, const std::string& monitorName) override;
  DWORD DeletePortA(const std::string& portName) override;
  DWORD EnumPrintersA(std::vector<PrinterInfo2A>& printers) override;
  DWORD DeletePrinterDriverExA(const std::string& driverName, DWORD deleteFlags, DWORD versionFlag) override;
  DWORD DeleteMonitorA(const std::string& name, const OptText& environment) override;
  DWORD GetPrinterDataW(RawPrinterHandle printer, const std::u16string& valueName, DWORD bufferSize, DWORD& type,
                        std::vector<std::uint8_t>& data, DWORD& needed) override;
  DWORD SetPrinterDataW(RawPrinterHandle printer, const std::u16string& valueName, DWORD type,
                        const std::vector<std::uint8_t>& data) override;
  DWORD DeletePrinterDataW(RawPrinterHandle printer, const std::u16string& valueName) override;
};

}  // namespace platform::win32

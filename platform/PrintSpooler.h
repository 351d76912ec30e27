#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Win32Types.h"

namespace platform {

// Text fields that may be "none" (a null pointer on Windows) are optional.
using OptText = std::optional<std::string>;

// DRIVER_INFO_3A. dependentFiles holds the multi-string bytes as passed (names, NULs, final NUL).
struct DriverInfo3A {
  DWORD cVersion = 0;
  OptText pName, pEnvironment, pDriverPath, pDataFile, pConfigFile, pHelpFile;
  std::optional<std::vector<char>> pDependentFiles;
  OptText pMonitorName, pDefaultDataType;
};

// DEVMODEA as bytes; the offsets of the fields the system touches.
namespace devmode {
constexpr std::size_t Size = 156;            // sizeof(DEVMODEA)
constexpr std::size_t DeviceNameOffset = 0;  // 32 bytes
constexpr std::size_t SizeOffset = 36;       // WORD dmSize
constexpr std::size_t DriverExtraOffset = 38;  // WORD dmDriverExtra
constexpr std::size_t FieldsOffset = 40;     // DWORD dmFields
constexpr std::size_t FormNameOffset = 70;   // 32 bytes
constexpr std::size_t FormNameSize = 32;
constexpr DWORD DmFormName = 0x10000;
}  // namespace devmode

// PRINTER_INFO_2A.
struct PrinterInfo2A {
  OptText pServerName, pPrinterName, pShareName, pPortName, pDriverName, pComment, pLocation;
  std::optional<std::vector<std::uint8_t>> pDevMode;  // DEVMODEA bytes including the driver's private part
  OptText pSepFile, pPrintProcessor, pDatatype, pParameters;
  bool hasSecurityDescriptor = false;
  DWORD Attributes = 0, Priority = 0, DefaultPriority = 0, StartTime = 0, UntilTime = 0, Status = 0, cJobs = 0,
        AveragePPM = 0;
};

namespace printeraccess {
constexpr DWORD AllAccess = 0xF000C;  // PRINTER_ALL_ACCESS
constexpr DWORD Administer = 0x4;     // PRINTER_ACCESS_ADMINISTER
constexpr DWORD Use = 0x8;            // PRINTER_ACCESS_USE
}  // namespace printeraccess

namespace printerattr {
constexpr DWORD DoCompleteFirst = 0x200;
constexpr DWORD Local = 0x40;
constexpr DWORD Published = 0x2000;
}  // namespace printerattr

namespace printercontrol {
constexpr DWORD Purge = 3;  // PRINTER_CONTROL_PURGE: SetPrinter level 0
}  // namespace printercontrol

// DeletePrinterDriverExA's dwDeleteFlag.
namespace dpd {
constexpr DWORD DeleteUnusedFiles = 0x1;
constexpr DWORD DeleteSpecificVersion = 0x2;
}  // namespace dpd

// FORM_INFO_1A: sizes in thousandths of a millimetre.
struct FormInfo1A {
  DWORD Flags = 0;  // 0 FORM_USER, 1 FORM_BUILTIN, 2 FORM_PRINTER
  std::string pName;
  LONG width = 0, height = 0;
  LONG imageableLeft = 0, imageableTop = 0, imageableRight = 0, imageableBottom = 0;
};

namespace dmmode {
constexpr DWORD OutBuffer = 2;  // DM_OUT_BUFFER
constexpr DWORD InBuffer = 8;   // DM_IN_BUFFER
constexpr LONG IdOk = 1;
}  // namespace dmmode

// The HANDLE value of an open printer, as one component hands it to another (the driver core to its
// plug-in). Null is no printer.
using RawPrinterHandle = void*;

// An open printer (HANDLE from OpenPrinterA or AddPrinterA). Destruction closes it.
class PrinterHandle {
public:
  virtual ~PrinterHandle() = default;
  // The handle's value, valid while this object lives.
  [[nodiscard]] virtual RawPrinterHandle Raw() const = 0;
  // GetPrinterA level 2 with a buffer of bufferSize bytes: needed receives the size the
  // record takes; winerr::InsufficientBuffer when bufferSize is smaller (info untouched).
  [[nodiscard]] virtual DWORD GetPrinter2A(DWORD bufferSize, DWORD& needed, PrinterInfo2A& info) = 0;
  [[nodiscard]] virtual DWORD SetPrinter2A(const PrinterInfo2A& info) = 0;
  [[nodiscard]] virtual DWORD SetPrinterDataA(const std::string& valueName, DWORD type,
                                              const std::vector<std::uint8_t>& data) = 0;
  // DocumentPropertiesA for this printer: mode 0 returns the device-mode size; otherwise
  // dmmode::IdOk or a negative value. `out` is resized to the device-mode size when written.
  [[nodiscard]] virtual LONG DocumentPropertiesA(const std::string& deviceName, std::vector<std::uint8_t>* out,
                                                 const std::vector<std::uint8_t>* in, DWORD mode) = 0;
  // A raw job: StartDocPrinterA level 1 (DOC_INFO_1A; no data type means the printer's default).
  [[nodiscard]] virtual DWORD StartDocPrinterA(const std::string& docName, const OptText& outputFile,
                                               const OptText& datatype, DWORD& jobId) = 0;
  [[nodiscard]] virtual DWORD StartPagePrinter() = 0;
  [[nodiscard]] virtual DWORD WritePrinter(std::span<const std::uint8_t> bytes, DWORD& written) = 0;
  [[nodiscard]] virtual DWORD EndPagePrinter() = 0;
  [[nodiscard]] virtual DWORD EndDocPrinter() = 0;
  [[nodiscard]] virtual DWORD AbortPrinter() = 0;
  // SetPrinterA level 0 with a command (printercontrol::Purge).
  [[nodiscard]] virtual DWORD SetPrinterControl(DWORD command) = 0;
  // DeletePrinter: the handle must carry DELETE access; the handle stays to be closed.
  [[nodiscard]] virtual DWORD DeletePrinter() = 0;
  // AddFormA level 1: winerr::FileExists for a form of that name.
  [[nodiscard]] virtual DWORD AddFormA(const FormInfo1A& form) = 0;
  // DeleteFormA: only a form added with AddFormA; winerr::InvalidFormName for no such form.
  [[nodiscard]] virtual DWORD DeleteFormA(const std::string& formName) = 0;
};

class PrintSpooler {
public:
  virtual ~PrintSpooler() = default;
  // desiredAccess 0: no defaults (the spooler grants what a user of the printer gets).
  [[nodiscard]] virtual DWORD OpenPrinterA(const std::string& printerName, DWORD desiredAccess,
                                           std::unique_ptr<PrinterHandle>& out) = 0;
  // Level 3; no server name (the local spooler).
  [[nodiscard]] virtual DWORD AddPrinterDriverA(const DriverInfo3A& info) = 0;
  // Level 2; no server name. winerr::PrinterAlreadyExists (1802) for an existing name.
  [[nodiscard]] virtual DWORD AddPrinterA(const PrinterInfo2A& info, std::unique_ptr<PrinterHandle>& out) = 0;
  // GetPrinterDriverDirectoryA level 1 for the spooler's own environment.
  [[nodiscard]] virtual DWORD GetPrinterDriverDirectoryA(std::string& directory) = 0;
  // EnumPortsA level 1 on the local machine: the port names.
  [[nodiscard]] virtual DWORD EnumPortsA(std::vector<std::string>& portNames) = 0;
  // AddMonitorA level 2 (MONITOR_INFO_2A): 3006 or 183 when that monitor is registered already.
  [[nodiscard]] virtual DWORD AddMonitorA(const std::string& name, const OptText& environment,
                                          const std::string& dllName) = 0;
  // "winspool.drv" AddPortExA level 1 (PORT_INFO_1A) on the local machine.
  [[nodiscard]] virtual DWORD AddPortExA(const std::string& portName, const std::string& monitorName) = 0;
  // "winspool.drv" DeletePortA on the local machine, no window: the port's monitor deletes it.
  [[nodiscard]] virtual DWORD DeletePortA(const std::string& portName) = 0;
  // EnumPrintersA(PRINTER_ENUM_LOCAL, no name, level 2): every local printer's record.
  [[nodiscard]] virtual DWORD EnumPrintersA(std::vector<PrinterInfo2A>& printers) = 0;
  // DeletePrinterDriverExA on the local machine, the current environment. winerr::PrinterDriverInUse
  // while a printer uses the driver, winerr::UnknownPrinterDriver for no such driver (or version).
  [[nodiscard]] virtual DWORD DeletePrinterDriverExA(const std::string& driverName, DWORD deleteFlags,
                                                     DWORD versionFlag) = 0;
  // DeleteMonitorA on the local machine: winerr::PrintMonitorInUse while a printer is on one of its
  // ports, winerr::UnknownPrintMonitor for no such monitor.
  [[nodiscard]] virtual DWORD DeleteMonitorA(const std::string& name, const OptText& environment) = 0;
  // GetPrinterDataW on a handle another component opened, into a buffer of bufferSize bytes: type,
  // the value's bytes and needed (its size). The result as GetPrinterData returns it: 0,
  // winerr::MoreData when bufferSize is smaller (type and needed set, data untouched),
  // winerr::FileNotFound for no such value, winerr::InvalidHandle for a handle that is not open.
  [[nodiscard]] virtual DWORD GetPrinterDataW(RawPrinterHandle printer, const std::u16string& valueName,
                                              DWORD bufferSize, DWORD& type, std::vector<std::uint8_t>& data,
                                              DWORD& needed) = 0;
  // SetPrinterDataW on a handle another component opened (see GetPrinterDataW): 0,
  // winerr::InvalidHandle for a handle that is not open, winerr::AccessDenied for a handle opened
  // without printeraccess::Administer.
  [[nodiscard]] virtual DWORD SetPrinterDataW(RawPrinterHandle printer, const std::u16string& valueName,
                                              DWORD type, const std::vector<std::uint8_t>& data) = 0;
  // DeletePrinterDataW (see SetPrinterDataW): winerr::FileNotFound for no such value.
  [[nodiscard]] virtual DWORD DeletePrinterDataW(RawPrinterHandle printer, const std::u16string& valueName) = 0;
};

// Broadcasts to all top-level windows (SendMessageTimeoutA/W with HWND_BROADCAST).
class WindowMessages {
public:
  virtual ~WindowMessages() = default;
  // A message whose lParam is a text, e.g. WM_DEVMODECHANGE (0x1B) with a printer name.
  [[nodiscard]] virtual DWORD BroadcastTextMessageA(DWORD message, const std::string& text, DWORD flags,
                                                    DWORD timeoutMs) = 0;
  // SendMessageTimeoutW(HWND_BROADCAST, message, 0, text, flags, timeoutMs).
  [[nodiscard]] virtual DWORD BroadcastTextMessageW(DWORD message, const std::u16string& text, DWORD flags,
                                                    DWORD timeoutMs) = 0;
};

namespace wm {
constexpr DWORD DevModeChange = 0x1B;
constexpr DWORD SmtoNormal = 0x0;
}  // namespace wm

}  // namespace platform

#include "platform/win32/Win32PrintSpooler.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/win32/Win32Libraries.h"
#include "platform/win32/Win32PrinterRecords.h"

namespace platform::win32 {

static_assert(printeraccess::AllAccess == PRINTER_ALL_ACCESS && printeraccess::Use == PRINTER_ACCESS_USE);
static_assert(printerattr::DoCompleteFirst == PRINTER_ATTRIBUTE_DO_COMPLETE_FIRST &&
              printerattr::Local == PRINTER_ATTRIBUTE_LOCAL && printerattr::Published == PRINTER_ATTRIBUTE_PUBLISHED);
static_assert(dmmode::OutBuffer == DM_OUT_BUFFER && dmmode::InBuffer == DM_IN_BUFFER && dmmode::IdOk == IDOK);
static_assert(winerr::InvalidPrinterName == ERROR_INVALID_PRINTER_NAME &&
              winerr::PrinterAlreadyExists == ERROR_PRINTER_ALREADY_EXISTS &&
              winerr::UnknownPrinterDriver == ERROR_UNKNOWN_PRINTER_DRIVER &&
              winerr::InsufficientBuffer == ERROR_INSUFFICIENT_BUFFER);

namespace {

DWORD LastErrorUnless(BOOL ok) { return ok ? ERROR_SUCCESS : ::GetLastError(); }

// "winspool.drv" exports it; the mingw-w64 headers do not declare it.
using AddPortExAFunction = BOOL WINAPI(LPSTR pName, ::DWORD Level, LPBYTE lpBuffer, LPSTR lpMonitorName);
using DeletePortAFunction = BOOL WINAPI(LPSTR pName, HWND hWnd, LPSTR pPortName);

static_assert(printercontrol::Purge == PRINTER_CONTROL_PURGE && dpd::DeleteUnusedFiles == DPD_DELETE_UNUSED_FILES &&
              dpd::DeleteSpecificVersion == DPD_DELETE_SPECIFIC_VERSION);
static_assert(winerr::InvalidFormName == ERROR_INVALID_FORM_NAME &&
              winerr::PrinterDriverInUse == ERROR_PRINTER_DRIVER_IN_USE &&
              winerr::PrintMonitorInUse == ERROR_PRINT_MONITOR_IN_USE &&
              winerr::UnknownPrintMonitor == ERROR_UNKNOWN_PRINT_MONITOR && winerr::Busy == ERROR_BUSY);

// The device mode of a seam record as a Windows one; nullopt when it cannot be handed over.
std::optional<DevModeBuffer> InputDevMode(const std::optional<std::vector<std::uint8_t>>& bytes) {
  if (!bytes) return DevModeBuffer(0);
  DevModeBuffer buffer(*bytes);
  if (!buffer.HoldsWhatItClaims()) return std::nullopt;
  return buffer;
}

// GetPrinterA level 2 into `buffer`; the record's strings and device mode follow it there.
DWORD ReadLevel2(HANDLE printer, DWORD bufferSize, DWORD& needed, std::vector<std::uint64_t>& buffer) {
  ::DWORD need = 0;
  BOOL ok;
  if (bufferSize == 0) {
    ok = ::GetPrinterA(printer, 2, nullptr, 0, &need);
  } else {
    buffer.assign(bufferSize / 8 + 1, 0);
    ok = ::GetPrinterA(printer, 2, reinterpret_cast<BYTE*>(buffer.data()), bufferSize, &need);
  }
  needed = need;
  return LastErrorUnless(ok);
}

}  // namespace

Win32PrinterHandle::~Win32PrinterHandle() { ::ClosePrinter(handle_); }

DWORD Win32PrinterHandle::GetPrinter2A(DWORD bufferSize, DWORD& needed, PrinterInfo2A& info) {
  std::vector<std::uint64_t> buffer;
  DWORD error = ReadLevel2(handle_, bufferSize, needed, buffer);
  // A successful size query has no record to convert.
  if (error == ERROR_SUCCESS && bufferSize != 0)
    info = FromRecord(*reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data()));
  return error;
}

DWORD Win32PrinterHandle::SetPrinter2A(const PrinterInfo2A& info) {
  std::optional<DevModeBuffer> devMode = InputDevMode(info.pDevMode);
  if (!devMode) return ERROR_INVALID_PARAMETER;
  // A null descriptor leaves the printer's security as it is. The seam record only says whether
  // it had one: if so, the printer's current one goes back, as the record read from it held.
  std::vector<std::uint64_t> current;
  void* descriptor = nullptr;
  if (info.hasSecurityDescriptor) {
    DWORD needed = 0;
    DWORD error = ReadLevel2(handle_, 0, needed, current);
    if (error == ERROR_INSUFFICIENT_BUFFER) error = ReadLevel2(handle_, needed, needed, current);
    if (error != ERROR_SUCCESS) return error;
    descriptor = reinterpret_cast<PRINTER_INFO_2A*>(current.data())->pSecurityDescriptor;
  }
  PRINTER_INFO_2A record;
  FillRecord(info, info.pDevMode ? devMode->get() : nullptr, descriptor, record);
  return LastErrorUnless(::SetPrinterA(handle_, 2, reinterpret_cast<BYTE*>(&record), 0));
}

DWORD Win32PrinterHandle::SetPrinterDataA(const std::string& valueName, DWORD type,
                                          const std::vector<std::uint8_t>& data) {
  static BYTE none = 0;
  return ::SetPrinterDataA(handle_, const_cast<char*>(valueName.c_str()), type,
                           data.empty() ? &none : const_cast<BYTE*>(data.data()), static_cast<::DWORD>(data.size()));
}

LONG Win32PrinterHandle::DocumentPropertiesA(const std::string& deviceName, std::vector<std::uint8_t>* out,
                                             const std::vector<std::uint8_t>* in, DWORD mode) {
  std::string device = deviceName;
  // Copied before `out` is touched: the caller may pass one vector as both.
  std::optional<DevModeBuffer> input;
  if (in) {
    input.emplace(*in);
    if (!input->HoldsWhatItClaims()) return -1;
  }
  DEVMODEA* inPtr = input ? input->get() : nullptr;
  if (out == nullptr || !(mode & DM_OUT_BUFFER))
    return ::DocumentPropertiesA(nullptr, handle_, device.data(), nullptr, inPtr, mode);

  LONG size = ::DocumentPropertiesA(nullptr, handle_, device.data(), nullptr, nullptr, 0);
  if (size <= 0) return size;
  DevModeBuffer output(static_cast<std::size_t>(size));
  LONG result = ::DocumentPropertiesA(nullptr, handle_, device.data(), output.get(), inPtr, mode);
  if (result > 0) *out = output.Bytes();
  return result;
}

DWORD Win32PrinterHandle::StartDocPrinterA(const std::string& docName, const OptText& outputFile,
                                           const OptText& datatype, DWORD& jobId) {
  std::string name = docName, output = outputFile.value_or(""), type = datatype.value_or("");
  DOC_INFO_1A info{name.data(), outputFile ? output.data() : nullptr, datatype ? type.data() : nullptr};
  const ::DWORD job = ::StartDocPrinterA(handle_, 1, reinterpret_cast<BYTE*>(&info));
  if (job == 0) return ::GetLastError();
  jobId = job;
  return ERROR_SUCCESS;
}

DWORD Win32PrinterHandle::StartPagePrinter() { return LastErrorUnless(::StartPagePrinter(handle_)); }

DWORD Win32PrinterHandle::WritePrinter(std::span<const std::uint8_t> bytes, DWORD& written) {
  ::DWORD count = 0;
  const BOOL ok = ::WritePrinter(handle_, const_cast<std::uint8_t*>(bytes.data()), static_cast<::DWORD>(bytes.size()),
                                 &count);
  written = count;
  return LastErrorUnless(ok);
}

DWORD Win32PrinterHandle::EndPagePrinter() { return LastErrorUnless(::EndPagePrinter(handle_)); }
DWORD Win32PrinterHandle::EndDocPrinter() { return LastErrorUnless(::EndDocPrinter(handle_)); }
DWORD Win32PrinterHandle::AbortPrinter() { return LastErrorUnless(::AbortPrinter(handle_)); }

DWORD Win32PrinterHandle::SetPrinterControl(DWORD command) {
  return LastErrorUnless(::SetPrinterA(handle_, 0, nullptr, command));
}

DWORD Win32PrinterHandle::DeletePrinter() { return LastErrorUnless(::DeletePrinter(handle_)); }

DWORD Win32PrinterHandle::AddFormA(const FormInfo1A& form) {
  std::string name = form.pName;
  FORM_INFO_1A record{form.Flags, name.data(), {form.width, form.height},
                      {form.imageableLeft, form.imageableTop, form.imageableRight, form.imageableBottom}};
  return LastErrorUnless(::AddFormA(handle_, 1, reinterpret_cast<BYTE*>(&record)));
}

DWORD Win32PrinterHandle::DeleteFormA(const std::string& formName) {
  std::string name = formName;
  return LastErrorUnless(::DeleteFormA(handle_, name.data()));
}

DWORD Win32PrintSpooler::OpenPrinterA(const std::string& printerName, DWORD desiredAccess,
                                      std::unique_ptr<PrinterHandle>& out) {
  PRINTER_DEFAULTSA defaults{nullptr, nullptr, desiredAccess};
  HANDLE printer = nullptr;
  if (!::OpenPrinterA(const_cast<char*>(printerName.c_str()), &printer, desiredAccess == 0 ? nullptr : &defaults))
    return ::GetLastError();
  out = std::make_unique<Win32PrinterHandle>(printer);
  return ERROR_SUCCESS;
}

DWORD Win32PrintSpooler::AddPrinterDriverA(const DriverInfo3A& info) {
  DRIVER_INFO_3A record;
  std::vector<char> dependentFiles;
  FillRecord(info, dependentFiles, record);
  return LastErrorUnless(::AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&record)));
}

DWORD Win32PrintSpooler::AddPrinterA(const PrinterInfo2A& info, std::unique_ptr<PrinterHandle>& out) {
  std::optional<DevModeBuffer> devMode = InputDevMode(info.pDevMode);
  if (!devMode) return ERROR_INVALID_PARAMETER;
  PRINTER_INFO_2A record;
  FillRecord(info, info.pDevMode ? devMode->get() : nullptr, nullptr, record);
  HANDLE printer = ::AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&record));
  if (printer == nullptr) return ::GetLastError();
  out = std::make_unique<Win32PrinterHandle>(printer);
  return ERROR_SUCCESS;
}

DWORD Win32PrintSpooler::GetPrinterDriverDirectoryA(std::string& directory) {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    ::DWORD need = 0;
    if (::GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(buffer.data()),
                                     static_cast<::DWORD>(buffer.size()), &need)) {
      directory.assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
      return ERROR_SUCCESS;
    }
    ::DWORD error = ::GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER || need <= buffer.size()) return error;
    buffer.resize(need);
  }
}

DWORD Win32PrintSpooler::EnumPortsA(std::vector<std::string>& portNames) {
  // The port list can grow between the size query and the read: ask again then.
  std::vector<std::uint64_t> buffer;
  for (;;) {
    ::DWORD need = 0, count = 0;
    ::DWORD size = static_cast<::DWORD>(buffer.size() * 8);
    if (::EnumPortsA(nullptr, 1, buffer.empty() ? nullptr : reinterpret_cast<BYTE*>(buffer.data()), size, &need,
                     &count)) {
      portNames.clear();
      const auto* ports = reinterpret_cast<const PORT_INFO_1A*>(buffer.data());
      for (::DWORD i = 0; i < count; ++i) portNames.emplace_back(ports[i].pName ? ports[i].pName : "");
      return ERROR_SUCCESS;
    }
    ::DWORD error = ::GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER || need <= size) return error;
    buffer.assign(need / 8 + 1, 0);
  }
}

DWORD Win32PrintSpooler::AddMonitorA(const std::string& name, const OptText& environment,
                                     const std::string& dllName) {
  std::string monitor = name, dll = dllName, env = environment.value_or("");
  MONITOR_INFO_2A info{monitor.data(), environment ? env.data() : nullptr, dll.data()};
  return LastErrorUnless(::AddMonitorA(nullptr, 2, reinterpret_cast<BYTE*>(&info)));
}

DWORD Win32PrintSpooler::AddPortExA(const std::string& portName, const std::string& monitorName) {
  // Looked up at run time, as the installer does before it calls.
  LoadedFunction<AddPortExAFunction> addPortEx("winspool.drv", "AddPortExA");
  if (addPortEx.error() != ERROR_SUCCESS) return addPortEx.error();
  std::string port = portName, monitor = monitorName;
  PORT_INFO_1A info{port.data()};
  return LastErrorUnless(addPortEx(nullptr, 1, reinterpret_cast<BYTE*>(&info), monitor.data()));
}

DWORD Win32PrintSpooler::DeletePortA(const std::string& portName) {
  LoadedFunction<DeletePortAFunction> deletePort("winspool.drv", "DeletePortA");
  if (deletePort.error() != ERROR_SUCCESS) return deletePort.error();
  std::string port = portName;
  return LastErrorUnless(deletePort(nullptr, nullptr, port.data()));
}

DWORD Win32PrintSpooler::EnumPrintersA(std::vector<PrinterInfo2A>& printers) {
  // A printer can come between the size query and the read: ask again then.
  std::vector<std::uint64_t> buffer;
  for (;;) {
    ::DWORD need = 0, count = 0;
    ::DWORD size = static_cast<::DWORD>(buffer.size() * 8);
    if (::EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2,
                        buffer.empty() ? nullptr : reinterpret_cast<BYTE*>(buffer.data()), size, &need, &count)) {
      printers.clear();
      const auto* records = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
      for (::DWORD i = 0; i < count; ++i) printers.push_back(FromRecord(records[i]));
      return ERROR_SUCCESS;
    }
    ::DWORD error = ::GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER || need <= size) return error;
    buffer.assign(need / 8 + 1, 0);
  }
}

DWORD Win32PrintSpooler::DeletePrinterDriverExA(const std::string& driverName, DWORD deleteFlags,
                                                DWORD versionFlag) {
  std::string name = driverName;
  return LastErrorUnless(::DeletePrinterDriverExA(nullptr, nullptr, name.data(), deleteFlags, versionFlag));
}

DWORD Win32PrintSpooler::DeleteMonitorA(const std::string& name, const OptText& environment) {
  std::string monitor = name, env = environment.value_or("");
  return LastErrorUnless(::DeleteMonitorA(nullptr, environment ? env.data() : nullptr, monitor.data()));
}

DWORD Win32PrintSpooler::GetPrinterDataW(RawPrinterHandle printer, const std::u16string& valueName, DWORD bufferSize,
                                         DWORD& type, std::vector<std::uint8_t>& data, DWORD& needed) {
  std::u16string name = valueName;
  std::vector<std::uint8_t> buffer(bufferSize);
  ::DWORD valueType = 0, need = 0;
  const ::DWORD result = ::GetPrinterDataW(static_cast<HANDLE>(printer), reinterpret_cast<LPWSTR>(name.data()),
                                           &valueType, buffer.data(), bufferSize, &need);
  if (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
    type = valueType;
    needed = need;
  }
  if (result == ERROR_SUCCESS) {
    buffer.resize(std::min<std::size_t>(need, buffer.size()));
    data = std::move(buffer);
  }
  return result;
}

DWORD Win32PrintSpooler::SetPrinterDataW(RawPrinterHandle printer, const std::u16string& valueName, DWORD type,
                                         const std::vector<std::uint8_t>& data) {
  std::u16string name = valueName;
  std::vector<std::uint8_t> bytes = data;
  return ::SetPrinterDataW(static_cast<HANDLE>(printer), reinterpret_cast<LPWSTR>(name.data()), type, bytes.data(),
                           static_cast<::DWORD>(bytes.size()));
}

DWORD Win32PrintSpooler::DeletePrinterDataW(RawPrinterHandle printer, const std::u16string& valueName) {
  std::u16string name = valueName;
  return ::DeletePrinterDataW(static_cast<HANDLE>(printer), reinterpret_cast<LPWSTR>(name.data()));
}

}  // namespace platform::win32

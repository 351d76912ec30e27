#pragma once
// Win32 scalar types and the error codes the system reasons about.
// Names avoid the Windows headers' macros so both can live in one unit.
#include <cstdint>

namespace platform {

using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using LONG = std::int32_t;
using WORD = std::uint16_t;
using ULONG = std::uint32_t;
using LANGID = std::uint16_t;

// Calls that return BOOL on Windows return the Win32 error here instead: 0 is success.
namespace winerr {
constexpr DWORD Success = 0;
constexpr DWORD InvalidFunction = 1;
constexpr DWORD FileNotFound = 2;
constexpr DWORD PathNotFound = 3;
constexpr DWORD AccessDenied = 5;
constexpr DWORD InvalidHandle = 6;
constexpr DWORD NotEnoughMemory = 8;
constexpr DWORD BadFormat = 11;
constexpr DWORD InvalidData = 13;
constexpr DWORD OutOfMemory = 14;
constexpr DWORD SharingViolation = 32;
constexpr DWORD NotSupported = 50;
constexpr DWORD FileExists = 80;
constexpr DWORD InvalidParameter = 87;
constexpr DWORD InsufficientBuffer = 122;
constexpr DWORD InvalidName = 123;
constexpr DWORD ModNotFound = 126;
constexpr DWORD ProcNotFound = 127;
constexpr DWORD BadPathname = 161;
constexpr DWORD AlreadyExists = 183;
constexpr DWORD MoreData = 234;
constexpr DWORD NoMoreItems = 259;
constexpr DWORD KeyDeleted = 1018;
constexpr DWORD InvalidServiceControl = 1052;
constexpr DWORD ServiceRequestTimeout = 1053;
constexpr DWORD ServiceAlreadyRunning = 1056;
constexpr DWORD ServiceNotActive = 1062;
constexpr DWORD ServiceDoesNotExist = 1060;
constexpr DWORD ServiceCannotAcceptControl = 1061;
constexpr DWORD InvalidPrinterName = 1801;
constexpr DWORD PrinterAlreadyExists = 1802;
constexpr DWORD UnknownPort = 1796;
constexpr DWORD UnknownPrinterDriver = 1797;
constexpr DWORD UnknownPrintProcessor = 1798;
constexpr DWORD InvalidEnvironment = 1805;
constexpr DWORD ResourceTypeNotFound = 1813;
constexpr DWORD ResourceNameNotFound = 1814;
constexpr DWORD CallNotImplemented = 120;
constexpr DWORD NoSuchDevInst = 0xE000020B;
constexpr DWORD InvalidClass = 0xE0000209;
constexpr DWORD RpcServerUnavailable = 1722;
constexpr DWORD PrinterDriverAlreadyInstalled = 1795;
constexpr DWORD SplNoStartDoc = 3003;
constexpr DWORD PrintMonitorAlreadyInstalled = 3006;
constexpr DWORD Busy = 170;                   // ERROR_BUSY
constexpr DWORD InvalidFormName = 1902;       // ERROR_INVALID_FORM_NAME
constexpr DWORD UnknownPrintMonitor = 3000;   // ERROR_UNKNOWN_PRINT_MONITOR
constexpr DWORD PrinterDriverInUse = 3001;    // ERROR_PRINTER_DRIVER_IN_USE
constexpr DWORD PrintMonitorInUse = 3008;     // ERROR_PRINT_MONITOR_IN_USE
constexpr DWORD PrinterHasJobsQueued = 3009;  // ERROR_PRINTER_HAS_JOBS_QUEUED
}  // namespace winerr

// Standard and generic access rights shared by every kind of handle.
namespace access {
constexpr DWORD ReadControl = 0x20000;
constexpr DWORD MaximumAllowed = 0x02000000;
constexpr DWORD GenericAll = 0x10000000;
constexpr DWORD GenericExecute = 0x20000000;
constexpr DWORD GenericWrite = 0x40000000;
constexpr DWORD GenericRead = 0x80000000;
}  // namespace access

}  // namespace platform

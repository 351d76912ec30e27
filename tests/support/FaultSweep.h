#pragma once
// Failing each operating-system call of a clean run once in turn, as the simulated machine's fault
// injector counts them: the calls of a run as faults to inject, with the error each would plausibly
// give on a real machine.
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "platform/Sockets.h"
#include "platform/Win32Types.h"

namespace faultsweep {

using platform::DWORD;

constexpr DWORD kDiskFull = 112;
constexpr DWORD kGenFailure = 31;
constexpr DWORD kTimeout = 1460;
constexpr DWORD kNoData = 232;
constexpr DWORD kUserNotFound = 2221;
constexpr DWORD kNoSuchPrivilege = 1313;

inline DWORD PlausibleError(const std::string& op) {
  namespace winerr = platform::winerr;
  namespace wsaerr = platform::wsaerr;
  static const std::map<std::string, DWORD, std::less<>> errors{
      {"CopyFileA", kDiskFull},
      {"AppendToFileA", kDiskFull},
      {"SetFileAttributesA", winerr::FileNotFound},
      {"DeleteFileA", winerr::AccessDenied},
      {"GetFullPathNameA", winerr::PathNotFound},
      {"LoadLibraryA", winerr::ModNotFound},
      {"GetProcAddress", winerr::ProcNotFound},
      {"LoadBitmapA", winerr::ResourceNameNotFound},
      {"CreateThread", winerr::NotEnoughMemory},
      {"SetThreadPriority", winerr::AccessDenied},
      {"NetUserGetInfo", kUserNotFound},
      {"SetupDiClassGuidsFromNameA", winerr::InvalidClass},
      {"SetupDiGetClassDevsA", winerr::InvalidClass},
      {"SetupDiEnumDeviceInfo", winerr::NoMoreItems},
      {"SetupDiGetDeviceRegistryPropertyA", winerr::InvalidData},
      {"SetupDiOpenDevRegKey", winerr::FileNotFound},
      {"UpdateDriverForPlugAndPlayDevicesA", winerr::NoSuchDevInst},
      {"SendMessageTimeoutA", kTimeout},
      {"AddMonitorA", winerr::AccessDenied},
      {"AddPrinterDriverA", winerr::AccessDenied},
      {"AddPrinterA", winerr::AccessDenied},
      {"AddPortExA", winerr::AccessDenied},
      {"CreateFileA", winerr::AccessDenied},  // the port is held by another program
      {"GetDefaultCommConfigA", winerr::FileNotFound},
      {"GetAdaptersInfo", kNoData},
      {"WSAStartup", wsaerr::NetworkDown},
      {"bind", wsaerr::AddressInUse},
      {"sendto", wsaerr::NetworkUnreachable},
      {"recvfrom", wsaerr::ConnectionReset},
      {"socket", wsaerr::NoBuffers},
      {"gethostbyname", wsaerr::HostNotFound},
      {"WSAStringToAddressA", wsaerr::Invalid},
      {"RegSaveKeyExW", kDiskFull},
      {"MoveFileExW", winerr::SharingViolation},  // the old file is open elsewhere
      {"LookupPrivilegeValueW", kNoSuchPrivilege},
      {"SendMessageTimeoutW", kTimeout},
  };
  if (const auto it = errors.find(op); it != errors.end()) return it->second;
  if (op.starts_with("Reg")) return winerr::AccessDenied;
  if (op.find("Profile") != std::string::npos)
    return op.starts_with("Write") ? winerr::AccessDenied : winerr::FileNotFound;
  if (op.find("Service") != std::string::npos || op == "OpenSCManagerA") return winerr::AccessDenied;
  if (op.find("Printer") != std::string::npos || op == "EnumPortsA" || op == "DocumentPropertiesA")
    return winerr::RpcServerUnavailable;
  // The rest of Winsock, lower case or "WSA": the network went away under the call.
  if (op.starts_with("WSA") || (!op.empty() && op[0] >= 'a' && op[0] <= 'z')) return wsaerr::NetworkDown;
  return kGenFailure;
}

// One call of a run, named as the fault injector counts it: the nth call of op.
struct Fault {
  std::string op;
  std::size_t nth = 0;
  DWORD error = 0;
};

inline std::string Describe(const Fault& fault) {
  return fault.op + " #" + std::to_string(fault.nth) + " failing with " + std::to_string(fault.error);
}

// The calls of a clean run's log from index `from` to `to` as faults.
inline std::vector<Fault> CallSites(const std::vector<std::string>& log, std::size_t from = 0,
                                    std::size_t to = std::string::npos) {
  std::map<std::string, std::size_t> seen;
  std::vector<Fault> sites;
  for (std::size_t i = 0; i < log.size(); ++i) {
    const std::size_t nth = ++seen[log[i]];
    if (i >= from && i < to) sites.push_back({log[i], nth, PlausibleError(log[i])});
  }
  return sites;
}

inline std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "  " + line + "\n";
  return text;
}

}  // namespace faultsweep

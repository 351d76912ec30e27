#pragma once
// What the installer hands the port monitor (which is not built here) and what it relies on.

inline constexpr const char* kMonitorName = "Korvex Port Monitor";
inline constexpr const char* kMonitorDll = "KorvexMon.dll";
inline constexpr const char* kMonitorUiDll = "KorvexMonUI.dll";
inline constexpr const char* kMonitorEnvironment = "Windows x64";
// Every port of the monitor carries this prefix; finding one proves the monitor is installed.
inline constexpr const char* kMonitorPortPrefix = "Kvx_";
// Under HKLM: the serial settings per port (a subkey each) and the printer type per port (a value each).
inline constexpr const char* kPortsIoKey = "SOFTWARE\\Korvex\\KvxPortsIO";
// Under HKLM: the monitor's own key; a network port's subkey holds "PortNumber".
inline constexpr const char* kMonitorKey = "SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\Korvex Port Monitor";
inline constexpr const char* kPortNumberValue = "PortNumber";
inline constexpr const char* kNetworkPortMarker = "IP_";
// The printer's TCP port on a network port unless the user gives another.
inline constexpr int kDefaultTcpPort = 9100;


#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/AutoResetEvent.h"
#include "engine/PortMonitorContract.h"
#include "platform/Win32Types.h"

// The state of one installation, shared by every installer variant.
struct InstallerRecord {
  bool ostrelModel = false;
  // Nonzero: kiosk printer; 0: mini printer.
  std::int32_t printerType = 0;
  std::vector<std::string> fileList;
  std::string sourceDir;
  platform::DWORD lastError = 0;
  std::string portName;
  std::string monitorDll = kMonitorDll;
  std::string monitorUiDll = kMonitorUiDll;
  std::string monitorName = kMonitorName;
  std::string monAdditional;
  // The printer name, which is also the driver name.
  std::string modelName;
  std::string renderDll;
  std::string renderUiDll;
  bool needsPortMonitor = false;
  std::int32_t tcpPort = 9100;
  // Written by the installation worker, read by the progress dialog's thread.
  std::atomic<std::int32_t> progressStep{0};
  AutoResetEvent progressEvent;
  std::string formName;
  std::string sectionSuffix;
  // 2: the printer already existed; 4: port changed; 5: port change failed.
  std::int32_t installOutcome = 0;

  void ReportProgress(std::int32_t step) {
    progressStep.store(step);
    progressEvent.Set();
  }
};

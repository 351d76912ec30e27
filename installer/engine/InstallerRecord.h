#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/AutoResetEvent.h"
#include "engine/PortMonitorContract.h"
#include "platform/Win32Types.h"

// The steps of an installation as the progress dialog ticks them off; each names what is done.
enum InstallProgress : std::int32_t {
  kProgressStarted = 0,
  kProgressSystemReady = 1,  // the spooler was restarted
  kProgressPrinterLookedUp = 2,
  kProgressFilesCopied = 3,
  kProgressMonitorInstalled = 4,  // with the interface drivers
  kProgressDriverRegistered = 5,
  kProgressSpoolerRestarted = 6,  // after the printer was added, or a step failed
  kProgressFinished = 7,          // the staged files were removed
};

// installOutcome: what the run tells the user besides success or failure.
enum InstallOutcome : std::int32_t {
  kOutcomeNone = 0,
  kOutcomePrinterExisted = 2,
  kOutcomePortChanged = 4,
  kOutcomePortChangeFailed = 5,
  kOutcomeCancelled = 9,  // the user cancelled
};

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
  std::int32_t tcpPort = kDefaultTcpPort;
  // Written by the installation worker, read by the progress dialog's thread.
  std::atomic<std::int32_t> progressStep{0};
  AutoResetEvent progressEvent;
  std::string formName;
  std::string sectionSuffix;
  // An InstallOutcome.
  std::int32_t installOutcome = kOutcomeNone;

  void ReportProgress(std::int32_t step) {
    progressStep.store(step);
    progressEvent.Set();
  }
};

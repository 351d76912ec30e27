#include "platform/win32/Win32PrinterRecords.h"

#include <windows.h>

#include <cstddef>
#include <cstring>

namespace platform::win32 {

static_assert(sizeof(DEVMODEA) == devmode::Size && offsetof(DEVMODEA, dmDeviceName) == devmode::DeviceNameOffset &&
              offsetof(DEVMODEA, dmSize) == devmode::SizeOffset &&
              offsetof(DEVMODEA, dmDriverExtra) == devmode::DriverExtraOffset &&
              offsetof(DEVMODEA, dmFields) == devmode::FieldsOffset &&
              offsetof(DEVMODEA, dmFormName) == devmode::FormNameOffset &&
              sizeof(DEVMODEA::dmFormName) == devmode::FormNameSize && devmode::DmFormName == DM_FORMNAME);

namespace {

OptText Text(const char* text) { return text ? OptText(text) : std::nullopt; }

// The spooler only reads these; the Windows structures declare them writable.
char* Text(const OptText& text) { return text ? const_cast<char*>(text->c_str()) : nullptr; }

constexpr std::size_t kHeaderSize = offsetof(DEVMODEA, dmDriverExtra) + sizeof(WORD);

}  // namespace

DevModeBuffer::DevModeBuffer(const std::vector<std::uint8_t>& bytes) : DevModeBuffer(bytes.size()) {
  if (!bytes.empty()) std::memcpy(storage_.data(), bytes.data(), bytes.size());
}

bool DevModeBuffer::HoldsWhatItClaims() const {
  if (size_ < kHeaderSize) return false;
  const auto& devMode = *reinterpret_cast<const DEVMODEA*>(storage_.data());
  return std::size_t{devMode.dmSize} + devMode.dmDriverExtra <= size_;
}

std::vector<std::uint8_t> DevModeBuffer::Bytes() const {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(storage_.data());
  return std::vector<std::uint8_t>(bytes, bytes + size_);
}

std::vector<std::uint8_t> DevModeBytes(const _devicemodeA& devMode) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&devMode);
  return std::vector<std::uint8_t>(bytes, bytes + devMode.dmSize + devMode.dmDriverExtra);
}

PrinterInfo2A FromRecord(const PRINTER_INFO_2A& record) {
  PrinterInfo2A info;
  info.pServerName = Text(record.pServerName);
  info.pPrinterName = Text(record.pPrinterName);
  info.pShareName = Text(record.pShareName);
  info.pPortName = Text(record.pPortName);
  info.pDriverName = Text(record.pDriverName);
  info.pComment = Text(record.pComment);
  info.pLocation = Text(record.pLocation);
  if (record.pDevMode) info.pDevMode = DevModeBytes(*record.pDevMode);
  info.pSepFile = Text(record.pSepFile);
  info.pPrintProcessor = Text(record.pPrintProcessor);
  info.pDatatype = Text(record.pDatatype);
  info.pParameters = Text(record.pParameters);
  info.hasSecurityDescriptor = record.pSecurityDescriptor != nullptr;
  info.Attributes = record.Attributes;
  info.Priority = record.Priority;
  info.DefaultPriority = record.DefaultPriority;
  info.StartTime = record.StartTime;
  info.UntilTime = record.UntilTime;
  info.Status = record.Status;
  info.cJobs = record.cJobs;
  info.AveragePPM = record.AveragePPM;
  return info;
}

void FillRecord(const PrinterInfo2A& info, DEVMODEA* devMode, void* securityDescriptor, PRINTER_INFO_2A& record) {
  record = PRINTER_INFO_2A{};
  record.pServerName = Text(info.pServerName);
  record.pPrinterName = Text(info.pPrinterName);
  record.pShareName = Text(info.pShareName);
  record.pPortName = Text(info.pPortName);
  record.pDriverName = Text(info.pDriverName);
  record.pComment = Text(info.pComment);
  record.pLocation = Text(info.pLocation);
  record.pDevMode = devMode;
  record.pSepFile = Text(info.pSepFile);
  record.pPrintProcessor = Text(info.pPrintProcessor);
  record.pDatatype = Text(info.pDatatype);
  record.pParameters = Text(info.pParameters);
  record.pSecurityDescriptor = static_cast<PSECURITY_DESCRIPTOR>(securityDescriptor);
  record.Attributes = info.Attributes;
  record.Priority = info.Priority;
  record.DefaultPriority = info.DefaultPriority;
  record.StartTime = info.StartTime;
  record.UntilTime = info.UntilTime;
  record.Status = info.Status;
  record.cJobs = info.cJobs;
  record.AveragePPM = info.AveragePPM;
}

void FillRecord(const DriverInfo3A& info, std::vector<char>& dependentFiles, DRIVER_INFO_3A& record) {
  record = DRIVER_INFO_3A{};
  record.cVersion = info.cVersion;
  record.pName = Text(info.pName);
  record.pEnvironment = Text(info.pEnvironment);
  record.pDriverPath = Text(info.pDriverPath);
  record.pDataFile = Text(info.pDataFile);
  record.pConfigFile = Text(info.pConfigFile);
  record.pHelpFile = Text(info.pHelpFile);
  if (info.pDependentFiles && !info.pDependentFiles->empty()) {
    dependentFiles = *info.pDependentFiles;
    dependentFiles.insert(dependentFiles.end(), 2, '\0');
    record.pDependentFiles = dependentFiles.data();
  }
  record.pMonitorName = Text(info.pMonitorName);
  record.pDefaultDataType = Text(info.pDefaultDataType);
}

}  // namespace platform::win32

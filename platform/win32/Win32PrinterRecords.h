#pragma once
// Conversions between the seam's spooler records and the Windows structures. Records filled
// here point into the seam record they came from: it must outlive the call that uses them.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/PrintSpooler.h"

// Tags of DEVMODEA, PRINTER_INFO_2A and DRIVER_INFO_3A in the Windows headers.
struct _devicemodeA;
struct _PRINTER_INFO_2A;
struct _DRIVER_INFO_3A;

namespace platform::win32 {

// Device-mode bytes in storage aligned for DEVMODEA.
class DevModeBuffer {
public:
  explicit DevModeBuffer(std::size_t size) : storage_((size + 7) / 8 + 1), size_(size) {}
  explicit DevModeBuffer(const std::vector<std::uint8_t>& bytes);

  // Windows reads dmSize + dmDriverExtra bytes from an input device mode: bytes that claim more
  // than they hold must not be handed over.
  bool HoldsWhatItClaims() const;
  _devicemodeA* get() { return reinterpret_cast<_devicemodeA*>(storage_.data()); }
  std::vector<std::uint8_t> Bytes() const;

private:
  std::vector<std::uint64_t> storage_;
  std::size_t size_;
};

// The dmSize + dmDriverExtra bytes of a device mode.
std::vector<std::uint8_t> DevModeBytes(const _devicemodeA& devMode);

PrinterInfo2A FromRecord(const _PRINTER_INFO_2A& record);

// devMode and securityDescriptor go into the record as given (either may be null).
void FillRecord(const PrinterInfo2A& info, _devicemodeA* devMode, void* securityDescriptor, _PRINTER_INFO_2A& record);

// pDependentFiles points into `dependentFiles`, a copy of the list with two NULs appended, so a
// list that lacks its terminators is not read past its end. No list, or an empty one, is null.
void FillRecord(const DriverInfo3A& info, std::vector<char>& dependentFiles, _DRIVER_INFO_3A& record);

}  // namespace platform::win32

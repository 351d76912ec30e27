#pragma once
// The IP helper's adapter list (GetAdaptersInfo), as the ethernet code reads it.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Win32Types.h"

namespace platform {

namespace winerr {
constexpr DWORD BufferOverflow = 111;  // ERROR_BUFFER_OVERFLOW
constexpr DWORD NoData = 232;          // ERROR_NO_DATA: no adapter
}  // namespace winerr

// The size GetAdaptersInfo needs for one IP_ADAPTER_INFO and for each IP_ADDR_STRING beyond the
// first of a list, on x64 (the installer's architecture).
constexpr ULONG kAdapterInfoSize = 704;
constexpr ULONG kIpAddrStringSize = 48;

// One IP_ADDR_STRING: dotted-decimal texts of at most 15 characters.
struct IpAddrString {
  std::string ipAddress;
  std::string ipMask;
};

// One IP_ADAPTER_INFO, in the order of the chain.
struct AdapterInfo {
  std::string adapterName;
  std::string description;
  std::vector<std::uint8_t> address;  // hardware address, AddressLength bytes (at most 8)
  std::vector<IpAddrString> ipAddressList;  // at least one entry ("0.0.0.0" when none)
  std::vector<IpAddrString> gatewayList;    // at least one entry
};

class IpHelper {
public:
  virtual ~IpHelper() = default;
  // GetAdaptersInfo into a buffer of bufferSize bytes: 0 with the adapters, BufferOverflow when
  // the list needs more (nothing returned), NoData when the computer has no adapter.
  [[nodiscard]] virtual DWORD GetAdaptersInfo(ULONG bufferSize, std::vector<AdapterInfo>& adapters) = 0;
};

}  // namespace platform

#pragma once
// The IP helper on this computer's interfaces, for `--network host`: the interfaces as
// GetAdaptersInfo lists them (no loopback, the hardware address, the IPv4 addresses with their
// masks, the default gateway of the routing table).
#include <vector>

#include "platform/IpHelper.h"

namespace platform::posix {

class PosixIpHelper final : public IpHelper {
public:
  DWORD GetAdaptersInfo(ULONG bufferSize, std::vector<AdapterInfo>& adapters) override;
};

// The interfaces as GetAdaptersInfo would list them, whatever the buffer.
std::vector<AdapterInfo> ListHostAdapters();

}  // namespace platform::posix

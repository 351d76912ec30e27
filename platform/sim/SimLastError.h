#pragma once
#include "platform/LastError.h"

namespace platform::sim {

// One code per thread, as Windows keeps it.
class SimLastError final : public LastError {
public:
  void SetLastError(DWORD code) override;
  DWORD GetLastError() override;
};

}  // namespace platform::sim

#pragma once
#include "platform/LastError.h"

namespace platform::sim {

// One code per thread, as Windows keeps it.
class SimLastError final : public LastError {
public:
  void SetLastError(DWORD code) override;
  // The calling thread's code, as the caller of a COM method reads it.
  DWORD GetLastError() const;
};

}  // namespace platform::sim

#include "platform/sim/SimLastError.h"

namespace platform::sim {

namespace {
thread_local DWORD lastError = 0;
}

void SimLastError::SetLastError(DWORD code) { lastError = code; }
DWORD SimLastError::GetLastError() const { return lastError; }

}  // namespace platform::sim

#include "platform/sim/SimProcess.h"

namespace platform::sim {

std::string SimProcess::GetModuleFileNameA() {
  if (faults_->Check("GetModuleFileNameA") != winerr::Success) return {};
  return config_.programFile;
}

}  // namespace platform::sim

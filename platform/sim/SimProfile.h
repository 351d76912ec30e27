#pragma once
// platform::PrivateProfile on files of the simulated machine (see HostPath for where they live),
// answering, truncating and terminating exactly as the Windows "A" functions do.
#include <filesystem>
#include <memory>

#include "platform/PrivateProfile.h"
#include "platform/sim/FaultInjector.h"

namespace platform::sim {

class SimProfile : public PrivateProfile {
public:
  SimProfile(std::filesystem::path driveC, std::shared_ptr<FaultInjector> faults);

  // An injected fault makes the file unreadable, which the profile functions answer as for a missing file.
  DWORD GetPrivateProfileSectionA(const std::string& section, std::vector<char>& buffer,
                                  const std::string& fileName) override;
  DWORD GetPrivateProfileStringA(const std::string& section, const std::string& key, const std::string& defaultValue,
                                 std::vector<char>& buffer, const std::string& fileName) override;

private:
  std::filesystem::path driveC_;
  std::shared_ptr<FaultInjector> faults_;
};

}  // namespace platform::sim

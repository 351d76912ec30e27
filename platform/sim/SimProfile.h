#pragma once
// platform::PrivateProfile on files of the simulated machine (see HostPath for where they live),
// answering, truncating and terminating exactly as the Windows "A" functions do.
#include <cstddef>
#include <filesystem>
#include <memory>

#include "platform/PrivateProfile.h"
#include "platform/sim/FaultInjector.h"
#include "platform/sim/FileAccess.h"
#include "platform/sim/MachineLock.h"

namespace platform::sim {

// The largest profile file read: a larger one, or anything but a regular file, is read as one that
// cannot be opened (the calls answer their defaults), and win.ini is then not written (5).
inline constexpr std::size_t kMaxProfileFileSize = std::size_t{1} << 20;

class SimProfile : public PrivateProfile {
public:
  SimProfile(MachineLock lock, std::filesystem::path driveC, std::shared_ptr<FaultInjector> faults,
             const MachineConfig& config);

  // An injected fault makes the file unreadable, which the profile functions answer as for a missing file.
  DWORD GetPrivateProfileSectionA(const std::string& section, std::vector<char>& buffer,
                                  const std::string& fileName) override;
  DWORD GetPrivateProfileStringA(const std::string& section, const std::string& key, const std::string& defaultValue,
                                 std::vector<char>& buffer, const std::string& fileName) override;
  // The system profile is the file C:\Windows\win.ini; a standard user may not change it (5), as
  // Windows keeps its mapped sections under HKEY_LOCAL_MACHINE.
  DWORD GetProfileSectionA(const std::string& section, std::vector<char>& buffer) override;
  DWORD WriteProfileStringA(const std::string& section, const std::string& key, const std::string& value) override;

private:
  DWORD ReadSection(std::string_view op, const std::string& section, std::vector<char>& buffer,
                    const std::string& fileName);

  MachineLock lock_;
  std::filesystem::path driveC_;
  std::shared_ptr<FaultInjector> faults_;
  FileAccess access_;
};

}  // namespace platform::sim

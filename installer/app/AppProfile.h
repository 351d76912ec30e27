#pragma once
#include <string>

#include "platform/Registry.h"

// The application's per-user profile in the registry:
// HKEY_CURRENT_USER\Software\<registry key>\<application name>\<section>, entries as text values.
class AppProfile {
public:
  AppProfile(platform::Registry& registry, std::string registryKey, std::string appName);

  std::string GetProfileString(const std::string& section, const std::string& entry,
                               const std::string& defaultValue = "") const;
  bool WriteProfileString(const std::string& section, const std::string& entry, const std::string& value);

private:
  std::string SectionPath(const std::string& section) const;

  platform::Registry& registry_;
  std::string registryKey_;
  std::string appName_;
};

// Whether no run has yet recorded in the profile that it installed the port monitor.
bool NewMonitorPending(platform::Registry& registry, const std::string& appName);
// Records it; false when the profile refuses the write.
[[nodiscard]] bool RecordMonitorInstalled(platform::Registry& registry, const std::string& appName);

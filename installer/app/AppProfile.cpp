#include "app/AppProfile.h"

namespace {

constexpr const char* kRegistryKeyName = "Korvex";
constexpr const char* kMonitorSection = "NEW_PORT_MONITOR_INSTALLED";
constexpr const char* kMonitorEntry = "value";
constexpr const char* kMonitorInstalled = "1";

}  // namespace

AppProfile::AppProfile(platform::Registry& registry, std::string registryKey, std::string appName)
    : registry_(registry), registryKey_(std::move(registryKey)), appName_(std::move(appName)) {}

std::string AppProfile::SectionPath(const std::string& section) const {
  return "Software\\" + registryKey_ + "\\" + appName_ + "\\" + section;
}

std::string AppProfile::GetProfileString(const std::string& section, const std::string& entry,
                                         const std::string& defaultValue) const {
  std::unique_ptr<platform::RegistryKey> key;
  if (registry_.OpenKey(platform::RootKey::CurrentUser, SectionPath(section), platform::regaccess::Read, key) !=
      platform::winerr::Success) {
    return defaultValue;
  }
  platform::DWORD type = platform::regtype::None;
  std::vector<std::uint8_t> data;
  if (key->QueryValue(entry, type, data) != platform::winerr::Success || type != platform::regtype::Sz) {
    return defaultValue;
  }
  return platform::RegSzText(data);
}

bool AppProfile::WriteProfileString(const std::string& section, const std::string& entry, const std::string& value) {
  std::unique_ptr<platform::RegistryKey> key;
  if (registry_.CreateKey(platform::RootKey::CurrentUser, SectionPath(section), platform::regaccess::Write, key) !=
      platform::winerr::Success) {
    return false;
  }
  return key->SetValue(entry, platform::regtype::Sz, platform::RegSzBytes(value)) == platform::winerr::Success;
}

bool NewMonitorPending(platform::Registry& registry, const std::string& appName) {
  return AppProfile(registry, kRegistryKeyName, appName).GetProfileString(kMonitorSection, kMonitorEntry) !=
         kMonitorInstalled;
}

bool RecordMonitorInstalled(platform::Registry& registry, const std::string& appName) {
  return AppProfile(registry, kRegistryKeyName, appName).WriteProfileString(kMonitorSection, kMonitorEntry,
                                                                            kMonitorInstalled);
}

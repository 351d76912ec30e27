#include "platform/sim/SimDeviceSetup.h"

#include <nlohmann/json.hpp>

#include "platform/sim/HostPath.h"
#include "platform/sim/MachineFile.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/Text.h"

namespace platform::sim {

namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kEnumKey = "SYSTEM\\CurrentControlSet\\Enum";
constexpr DWORD kInstallFlagForce = 0x1;

// GUID memory layout: Data1..Data3 little-endian, then Data4's bytes.
constexpr Guid MakeGuid(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3, std::array<std::uint8_t, 8> d4) {
  return Guid{static_cast<std::uint8_t>(d1), static_cast<std::uint8_t>(d1 >> 8), static_cast<std::uint8_t>(d1 >> 16),
              static_cast<std::uint8_t>(d1 >> 24), static_cast<std::uint8_t>(d2), static_cast<std::uint8_t>(d2 >> 8),
              static_cast<std::uint8_t>(d3), static_cast<std::uint8_t>(d3 >> 8), d4[0], d4[1], d4[2], d4[3], d4[4],
              d4[5], d4[6], d4[7]};
}

struct SetupClass {
  const char* name;
  Guid guid;
};

const SetupClass kClasses[] = {
    {"Ports", MakeGuid(0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18})},
    {"System", MakeGuid(0x4D36E97D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18})},
    {"Printer", MakeGuid(0x4D36E979, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18})},
    {"USB", MakeGuid(0x36FC9E60, 0xC465, 0x11CF, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00})},
};

std::string Text(const Json& object, const char* member) {
  const auto it = object.find(member);
  return it != object.end() && it->is_string() ? Utf8ToAnsiLossy(it->get<std::string>()) : std::string();
}

// A flag of a driver package in machine.json; what is not true or false there counts as absent.
bool Flag(const Json* package, const char* member, bool absent) {
  if (!package) return absent;
  const auto it = package->find(member);
  return it != package->end() && it->is_boolean() ? it->get<bool>() : absent;
}

std::vector<std::uint8_t> MultiSz(const std::vector<std::string>& items) {
  std::vector<std::uint8_t> bytes;
  for (const auto& item : items) {
    bytes.insert(bytes.end(), item.begin(), item.end());
    bytes.push_back(0);
  }
  bytes.push_back(0);
  return bytes;
}

class SimDeviceInfoSet : public DeviceInfoSet {
public:
  SimDeviceInfoSet(MachineLock lock, std::vector<SimDevice> devices, std::shared_ptr<RegistryTree> tree,
                   std::shared_ptr<FaultInjector> faults, std::shared_ptr<HandleTable> handles,
                   const MachineConfig& config)
      : lock_(lock),
        devices_(std::move(devices)),
        tree_(tree),
        registry_(std::move(lock), tree, faults, handles, config, {}, nullptr),
        faults_(std::move(faults)),
        handles_(std::move(handles)),
        id_(handles_->Register("device info set", std::to_string(devices_.size()) + " devices")) {}
  ~SimDeviceInfoSet() override {
    const auto held = lock_.Hold();
    handles_->Release(id_);
  }

  DWORD SetupDiEnumDeviceInfo(DWORD index, DeviceInfoData& device) override {
    const auto held = lock_.Hold();
    if (const DWORD error = faults_->Check("SetupDiEnumDeviceInfo")) return error;
    if (index >= devices_.size()) return winerr::NoMoreItems;
    device.index = index;
    return winerr::Success;
  }

  DWORD SetupDiGetDeviceRegistryPropertyA(const DeviceInfoData& device, DWORD property, DWORD bufferSize,
                                          DWORD& regType, std::vector<std::uint8_t>& data,
                                          DWORD& required) override {
    const auto held = lock_.Hold();
    data.clear();
    required = 0;
    if (const DWORD error = faults_->Check("SetupDiGetDeviceRegistryPropertyA")) return error;
    if (device.index >= devices_.size()) return winerr::InvalidParameter;
    const SimDevice& d = devices_[device.index];
    std::vector<std::uint8_t> value;
    if (property == spdrp::HardwareId) {
      if (d.hardwareIds.empty()) return winerr::InvalidData;
      regType = regtype::MultiSz;
      value = MultiSz(d.hardwareIds);
    } else if (property == spdrp::DeviceDesc) {
      if (d.description.empty()) return winerr::InvalidData;
      regType = regtype::Sz;
      value.assign(d.description.begin(), d.description.end());
      value.push_back(0);
    } else {
      return winerr::InvalidData;
    }
    required = static_cast<DWORD>(value.size());
    if (bufferSize < required) return winerr::InsufficientBuffer;
    data = std::move(value);
    return winerr::Success;
  }

  DWORD SetupDiOpenDevRegKey(const DeviceInfoData& device, DWORD scope, DWORD profile, DWORD keyType, DWORD access,
                             std::unique_ptr<RegistryKey>& out) override {
    const auto held = lock_.Hold();
    out.reset();
    if (const DWORD error = faults_->Check("SetupDiOpenDevRegKey")) return error;
    if (device.index >= devices_.size() || scope != dicskey::ScopeGlobal || keyType != dicskey::KeyTypeDevice) {
      return winerr::InvalidParameter;
    }
    (void)profile;
    const SimDevice& d = devices_[device.index];
    const std::string path = std::string(kEnumKey) + "\\" + d.instanceId + "\\Device Parameters";
    {
      std::lock_guard lock(tree_->mutex());
      const auto names = SplitKeyPath(path);
      // The instance id comes from machine.json: its key must be one Windows could hold.
      if (!names || HasLongKeyName(*names) || names->size() > kMaxKeyDepth) return winerr::InvalidData;
      const std::shared_ptr<RegNode> node = tree_->Key(RootKey::LocalMachine, path, true);
      if (!d.portName.empty() && !node->FindValue("PortName")) {
        std::vector<std::uint8_t> bytes(d.portName.begin(), d.portName.end());
        bytes.push_back(0);
        node->SetValue("PortName", regtype::Sz, std::move(bytes));
      }
    }
    return static_cast<DWORD>(registry_.OpenKey(RootKey::LocalMachine, path, access, out));
  }

private:
  MachineLock lock_;
  std::vector<SimDevice> devices_;
  std::shared_ptr<RegistryTree> tree_;
  SimRegistry registry_;
  std::shared_ptr<FaultInjector> faults_;
  std::shared_ptr<HandleTable> handles_;
  HandleTable::Id id_;
};

}  // namespace

std::optional<Guid> SetupClassGuid(const std::string& className) {
  for (const auto& c : kClasses) {
    if (EqualNoCase(c.name, className)) return c.guid;
  }
  return std::nullopt;
}

std::vector<SimDevice> ReadDevices(const Json& document) {
  const auto it = document.find("devices");
  const Json list = it != document.end() && it->is_array() ? *it : DefaultMachineDocument()["devices"];
  std::vector<SimDevice> devices;
  for (const Json& entry : list) {
    if (!entry.is_object()) continue;
    SimDevice d;
    d.className = Text(entry, "class");
    if (const auto ids = entry.find("hardwareIds"); ids != entry.end() && ids->is_array()) {
      for (const Json& id : *ids) {
        if (id.is_string()) d.hardwareIds.push_back(Utf8ToAnsiLossy(id.get<std::string>()));
      }
    }
    d.description = Text(entry, "description");
    d.portName = Text(entry, "portName");
    if (const auto present = entry.find("present"); present != entry.end() && present->is_boolean()) {
      d.present = present->get<bool>();
    }
    d.instanceId = Text(entry, "instanceId");
    if (d.instanceId.empty()) {
      d.instanceId = (d.hardwareIds.empty() ? std::string("ROOT\\UNKNOWN") : d.hardwareIds.front()) + "\\" +
                     std::to_string(devices.size() + 1);
    }
    devices.push_back(std::move(d));
  }
  return devices;
}

SimDeviceSetup::SimDeviceSetup(MachineLock lock, Json& document, std::filesystem::path driveC,
                               std::shared_ptr<RegistryTree> tree, std::shared_ptr<FaultInjector> faults,
                               std::shared_ptr<HandleTable> handles, const MachineConfig& config)
    : lock_(std::move(lock)),
      config_(config),
      document_(document),
      driveC_(std::move(driveC)),
      tree_(std::move(tree)),
      faults_(std::move(faults)),
      handles_(std::move(handles)) {}

std::size_t SimDeviceSetup::UnmadeKeysSize() const {
  std::lock_guard lock(tree_->mutex());
  std::size_t size = 0;
  for (const SimDevice& d : ReadDevices(document_)) {
    const std::string path = std::string(kEnumKey) + "\\" + d.instanceId + "\\Device Parameters";
    // A malformed path names no key that could be made.
    const bool unmade = SplitKeyPath(path) && !tree_->Key(RootKey::LocalMachine, path);
    // The key's line: its path with each backslash written twice, and the port's name.
    constexpr std::size_t kLine = 32;
    if (unmade) size += 2 * path.size() + d.portName.size() + kLine;
  }
  return size;
}

DWORD SimDeviceSetup::SetupDiClassGuidsFromNameA(const std::string& className, DWORD bufferCount,
                                                 std::vector<Guid>& guids, DWORD& required) {
  const auto held = lock_.Hold();
  guids.clear();
  required = 0;
  if (const DWORD error = faults_->Check("SetupDiClassGuidsFromNameA")) return error;
  const auto guid = SetupClassGuid(className);
  if (!guid) return winerr::Success;  // Windows: success, no class ids
  required = 1;
  if (bufferCount < required) return winerr::InsufficientBuffer;
  guids.push_back(*guid);
  return winerr::Success;
}

DWORD SimDeviceSetup::SetupDiGetClassDevsA(const Guid& classGuid, DWORD flags, std::unique_ptr<DeviceInfoSet>& out) {
  const auto held = lock_.Hold();
  out.reset();
  if (const DWORD error = faults_->Check("SetupDiGetClassDevsA")) return error;
  std::vector<SimDevice> chosen;
  for (SimDevice& d : ReadDevices(document_)) {
    if (SetupClassGuid(d.className) != classGuid) continue;
    if ((flags & digcf::Present) && !d.present) continue;
    chosen.push_back(std::move(d));
  }
  out = std::make_unique<SimDeviceInfoSet>(lock_, std::move(chosen), tree_, faults_, handles_, config_);
  return winerr::Success;
}

DWORD SimDeviceSetup::UpdateDriverForPlugAndPlayDevicesA(const std::string& hardwareId, const std::string& fullInfPath,
                                                         DWORD installFlags, bool& rebootRequired) {
  const auto held = lock_.Hold();
  rebootRequired = false;
  if (const DWORD error = faults_->Check("UpdateDriverForPlugAndPlayDevicesA")) return error;
  // Installing drivers is for administrators.
  if (!config_.user.administrator) return winerr::AccessDenied;
  const auto inf = HostPath(fullInfPath, driveC_);
  std::error_code ec;
  if (!inf || !std::filesystem::is_regular_file(*inf, ec)) return winerr::FileNotFound;
  bool found = false;
  for (const SimDevice& d : ReadDevices(document_)) {
    if (!d.present) continue;
    for (const auto& id : d.hardwareIds) found = found || EqualNoCase(id, hardwareId);
  }
  if (!found) return winerr::NoSuchDevInst;

  Json* package = nullptr;
  if (auto packages = document_.find("driverPackages"); packages != document_.end() && packages->is_object()) {
    for (auto& [id, value] : packages->items()) {
      if (EqualNoCase(id, hardwareId) && value.is_object()) package = &value;
    }
  }
  const bool better = Flag(package, "better", true);
  if (!better && !(installFlags & kInstallFlagForce)) return winerr::NoMoreItems;
  rebootRequired = Flag(package, "reboot", false);
  // Once installed, the same package is no better than what the devices have.
  if (!document_.contains("driverPackages") || !document_["driverPackages"].is_object()) {
    document_["driverPackages"] = Json::object();
  }
  if (!package) package = &(document_["driverPackages"][AnsiToUtf8(hardwareId)] = Json::object());
  (*package)["better"] = false;
  if (!document_.contains("installedDrivers") || !document_["installedDrivers"].is_array()) {
    document_["installedDrivers"] = Json::array();
  }
  document_["installedDrivers"].push_back(Json{{"hardwareId", AnsiToUtf8(hardwareId)}, {"inf", AnsiToUtf8(fullInfPath)}});
  return winerr::Success;
}

}  // namespace platform::sim

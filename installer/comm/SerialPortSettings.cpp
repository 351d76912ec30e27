#include "comm/SerialPortSettings.h"

#include <cctype>
#include <cstdint>
#include <limits>
#include <memory>
#include <utility>

#include "comm/SerialInterface.h"
#include "engine/PortMonitorContract.h"

namespace {

using platform::DWORD;

constexpr DWORD kDefaultBaudRate = 115200;

}  // namespace

bool WriteSerialPortSettings(platform::Registry& registry, const std::string& portName, DWORD baudRate, DWORD dataBits,
                             DWORD parity, DWORD stopBits, DWORD flowControl) {
  std::string name = portName;
  if (!name.empty() && name.back() == ':') name.pop_back();
  const std::string path = std::string(kPortsIoKey) + "\\" + name;

  std::unique_ptr<platform::RegistryKey> key;
  if (registry.OpenKey(platform::RootKey::LocalMachine, path, platform::regaccess::AllAccess, key) != 0 &&
      registry.CreateKey(platform::RootKey::LocalMachine, path, platform::regaccess::AllAccess, key) != 0)
    return false;

  const std::pair<const char*, DWORD> values[] = {
      {"baudrate", baudRate}, {"databits", dataBits}, {"parity", parity}, {"stopbits", stopBits},
      {"flowcontrol", flowControl}};
  bool all = true;
  for (const auto& [value, data] : values)
    if (key->SetValue(value, platform::regtype::Dword, platform::RegDwordBytes(data)) != 0) all = false;
  return all;
}

DWORD BaudRateFromText(const std::string& text) {
  std::size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  std::uint64_t rate = 0;
  for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
    rate = rate * 10 + static_cast<std::uint64_t>(text[at] - '0');
    if (rate > std::numeric_limits<DWORD>::max()) rate = std::numeric_limits<DWORD>::max();
  }
  return rate == 0 ? kDefaultBaudRate : static_cast<DWORD>(rate);
}

DWORD FlowControlModeFromIndex(int index) {
  switch (index) {
    case kFlowEntryRtsCts: return static_cast<DWORD>(kFlowRtsCts);
    case kFlowEntryDtrDsr: return static_cast<DWORD>(kFlowDtrDsr);
    default: return static_cast<DWORD>(kFlowNone);
  }
}

// The serial-settings key the installation leaves for the port monitor, and the page values it
// is written from.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

#include "comm/SerialInterface.h"
#include "comm/SerialPortSettings.h"
#include "platform/sim/SimMachine.h"

namespace {

using platform::DWORD;
using Values = std::map<std::string, DWORD>;
namespace winerr = platform::winerr;

const Values kAllFive = {{"baudrate", 38400}, {"databits", 8}, {"parity", 0}, {"stopbits", 1}, {"flowcontrol", 2}};

struct WriteCase {
  const char* name;
  std::string portName;
  bool keyExists;
  std::function<void(platform::sim::SimMachine&)> setUp;
  bool result;
  std::size_t creates;
  std::optional<Values> written;  // under Kvx_COM1; none: no key
};

class WriteSettingsTest : public ::testing::TestWithParam<WriteCase> {
protected:
  std::unique_ptr<platform::sim::SimMachine> machine = platform::sim::SimMachine::InMemory();
  platform::Platform os = machine->platform();
};

TEST_P(WriteSettingsTest, WritesEveryValueUnderThePortsKey) {
  const WriteCase& c = GetParam();
  const std::string path = "SOFTWARE\\Korvex\\KvxPortsIO\\Kvx_COM1";
  std::unique_ptr<platform::RegistryKey> key;
  if (c.keyExists) {
    ASSERT_EQ(os.registry.CreateKey(platform::RootKey::LocalMachine, path, platform::regaccess::AllAccess, key), 0);
  }
  key.reset();
  c.setUp(*machine);
  machine->faults().ResetLog();

  EXPECT_EQ(WriteSerialPortSettings(os.registry, c.portName, 38400, 8, 0, 1, 2), c.result);
  EXPECT_EQ(machine->faults().CallCount("RegCreateKeyExA"), c.creates);
  machine->faults().Clear();
  const bool exists = os.registry.OpenKey(platform::RootKey::LocalMachine, path, platform::regaccess::Read, key) == 0;
  ASSERT_EQ(exists, c.written.has_value());
  if (!exists) return;
  Values values;
  {
    std::lock_guard lock(machine->registryTree().mutex());
    for (const auto& [name, type, data] : machine->registryTree().Key(platform::RootKey::LocalMachine, path)->values) {
      ASSERT_EQ(type, platform::regtype::Dword) << name;
      values[name] = static_cast<DWORD>(data[0] | data[1] << 8 | data[2] << 16 | data[3] << 24);
    }
  }
  EXPECT_EQ(values, *c.written);
  EXPECT_EQ(machine->handles().OpenCount(), 1u);  // ours
}

Values Without(Values values, const std::string& name) {
  values.erase(name);
  return values;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WriteSettingsTest,
    ::testing::Values(
        WriteCase{"ColonDropped", "Kvx_COM1:", false, [](auto&) {}, true, 1, kAllFive},
        WriteCase{"NoColonSameKey", "Kvx_COM1", false, [](auto&) {}, true, 1, kAllFive},
        WriteCase{"ExistingKeyOpened", "Kvx_COM1:", true, [](auto&) {}, true, 0, kAllFive},
        WriteCase{"FailedWriteDoesNotStopTheRest", "Kvx_COM1:", false,
                  [](auto& m) { m.faults().FailNth("RegSetValueExA", 2, winerr::InvalidParameter); }, false, 1,
                  Without(kAllFive, "databits")},
        WriteCase{"OpenAndCreateFail", "Kvx_COM1:", false,
                  [](auto& m) { m.faults().FailOnce("RegCreateKeyExA", winerr::AccessDenied); }, false, 1,
                  std::nullopt},
        // Only administrators may change HKEY_LOCAL_MACHINE: neither opening with full access nor creating works.
        WriteCase{"StandardUser", "Kvx_COM1:", true, [](auto& m) { m.config().user.administrator = false; }, false, 1,
                  Values{}}),
    [](const ::testing::TestParamInfo<WriteCase>& test) { return std::string(test.param.name); });

TEST(SerialSettingsValuesTest, BaudTextAndFlowIndexConvert) {
  const std::pair<const char*, DWORD> bauds[] = {
      {"38400", 38400}, {"9600 bps", 9600}, {"", 115200}, {"fast", 115200}, {"0", 115200}, {"-9600", 115200}};
  for (const auto& [text, rate] : bauds) EXPECT_EQ(BaudRateFromText(text), rate) << text;
  const std::pair<int, int> flows[] = {{0, kFlowRtsCts}, {1, kFlowDtrDsr}, {2, kFlowNone}};
  for (const auto& [index, mode] : flows) EXPECT_EQ(FlowControlModeFromIndex(index), static_cast<DWORD>(mode)) << index;
}

}  // namespace

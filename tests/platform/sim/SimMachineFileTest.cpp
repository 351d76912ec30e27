// machine.json: the default machine, a faithful round trip, and files that are refused untouched.
#include <gtest/gtest.h>

#include <optional>

#include <nlohmann/json.hpp>

#include "platform/sim/RegistryDump.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::DWORD;
using platform::RootKey;
using platform::sim::MachineFileError;
using platform::sim::SimMachine;
namespace regtype = platform::regtype;
using Json = nlohmann::ordered_json;

// Every key and value of the registry, for comparing two machines.
std::string Dump(SimMachine& machine) {
  std::lock_guard lock(machine.registryTree().mutex());
  std::string text;
  for (RootKey root : platform::sim::kRootKeys) text += simtest::DumpKey(*machine.registryTree().Root(root));
  return text;
}

TEST(SimMachineFileTest, NewFolderGetsTheDefaultWindows10Machine) {
  simtest::TempDir temp;
  auto machine = SimMachine::OpenFolder(temp.path() / "machine");
  EXPECT_TRUE(std::filesystem::is_directory(temp.path() / "machine" / "drive_c"));
  const Json doc = Json::parse(simtest::ReadFile(temp.path() / "machine" / "machine.json"));
  EXPECT_EQ(doc["format"], "kvx-machine");
  EXPECT_EQ(doc["version"], 1);
  EXPECT_EQ(doc["spooler"], (Json{{"running", true},
                                  {"driverDirectory", "C:\\Windows\\System32\\spool\\drivers\\x64"},
                                  {"monitors", Json::array()},
                                  {"drivers", Json::array()},
                                  {"printers", Json::array()}}));
  EXPECT_EQ(doc["services"]["Spooler"]["state"], "running");
  EXPECT_EQ(doc["user"]["canControlServices"], true);
  EXPECT_TRUE(std::filesystem::is_directory(temp.path() / "machine" / "drive_c" / "Windows" / "System32" / "spool" /
                                            "drivers" / "x64"));
  EXPECT_EQ(doc["ports"]["serial"], Json::array({"COM1"}));
  EXPECT_EQ(doc["networkAdapters"][0]["ip"], "192.0.2.10");

  platform::Platform p = machine->platform();
  platform::OsVersionInfoA info;
  ASSERT_EQ(p.version.GetVersionExA(info), 0u);
  EXPECT_EQ(std::tie(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber),
            std::make_tuple(2u, 6u, 2u, 9200u));
  EXPECT_EQ(info.szCSDVersion, "");
  EXPECT_EQ(p.process.GetUserDefaultUILanguage(), 0x0409);
  EXPECT_EQ(p.process.GetModuleFileNameA(), "C:\\Program Files\\Korvex\\KvxInstaller.exe");
}

TEST(SimMachineFileTest, SavedMachineReopensTheSame) {
  simtest::TempDir temp;
  std::string before;
  {
    auto machine = SimMachine::OpenFolder(temp.path());
    auto& config = machine->config();
    config.os = {2, 5, 1, 2600, "Service Pack 3", 0};
    config.uiLanguage = platform::lang::PortugueseBrazil;
    config.programFile = "C:\\Instala\xE7\xE3o\\KvxInstaller.exe";
    std::unique_ptr<platform::RegistryKey> key;
    ASSERT_EQ(machine->registry().CreateKey(RootKey::CurrentUser, "Software\\Korvex\\Ol\xE1", platform::regaccess::AllAccess, key), 0);
    ASSERT_EQ(key->SetValue("", regtype::Sz, platform::RegSzBytes("caf\xE9 \x80")), 0);
    ASSERT_EQ(key->SetValue("Count", regtype::Dword, platform::RegDwordBytes(0xFFFFFFFF)), 0);
    ASSERT_EQ(key->SetValue("Lines", regtype::MultiSz, {'a', 0, 'b', 'c', 0, 0}), 0);
    ASSERT_EQ(key->SetValue("NoLines", regtype::MultiSz, {0}), 0);
    ASSERT_EQ(key->SetValue("Blob", regtype::Binary, {0, 0xAB, 0xFF}), 0);
    ASSERT_EQ(key->SetValue("Path", regtype::ExpandSz, platform::RegSzBytes("%SystemRoot%")), 0);
    ASSERT_EQ(key->SetValue("Big", regtype::Qword, {1, 2, 3, 4, 5, 6, 7, 0x80}), 0);
    ASSERT_EQ(key->SetValue("Unterminated", regtype::Sz, {'x', 'y'}), 0);
    ASSERT_EQ(key->SetValue("ShortDword", regtype::Dword, {1, 2}), 0);
    ASSERT_EQ(key->SetValue("EmptyInList", regtype::MultiSz, {'a', 0, 0, 'b', 0, 0}), 0);
    ASSERT_EQ(key->SetValue("Link", 6, {'\\', 0}), 0);
    ASSERT_EQ(machine->registry().CreateKey(RootKey::ClassesRoot, "Empty\\Leaf", platform::regaccess::AllAccess, key), 0);
    key.reset();
    config.user.administrator = false;
    machine->spooler().Edit([](platform::sim::SpoolerState& s) {
      s.localPorts = {{"LPT2", platform::sim::LocalPortKind::Parallel}, {"COM3", platform::sim::LocalPortKind::Serial}};
    });
    machine->Save();
    before = Dump(*machine);
  }
  const std::string firstText = simtest::ReadFile(temp.path() / "machine.json");
  auto again = SimMachine::OpenFolder(temp.path());
  EXPECT_EQ(Dump(*again), before);
  EXPECT_EQ(again->config().os.build, 2600u);
  EXPECT_EQ(again->config().os.csd, "Service Pack 3");
  EXPECT_EQ(again->config().uiLanguage, platform::lang::PortugueseBrazil);
  EXPECT_EQ(again->config().programFile, "C:\\Instala\xE7\xE3o\\KvxInstaller.exe");
  EXPECT_FALSE(again->config().user.administrator);
  EXPECT_EQ(again->spooler().Snapshot().localPorts,
            (std::vector<platform::sim::LocalPort>{{"COM3", platform::sim::LocalPortKind::Serial},
                                                   {"LPT2", platform::sim::LocalPortKind::Parallel}}));
  again->Save();
  EXPECT_EQ(simtest::ReadFile(temp.path() / "machine.json"), firstText);
  // A person reads texts, numbers and lists, not hex, for the ordinary types.
  const Json values = Json::parse(firstText)["registry"]["HKEY_CURRENT_USER"]["Software\\Korvex\\Ol\u00e1"];
  EXPECT_EQ(values[""], "caf\u00e9 \u20ac");
  EXPECT_EQ(values["Count"], 4294967295u);
  EXPECT_EQ(values["Lines"], Json::array({"a", "bc"}));
  EXPECT_EQ(values["Blob"], (Json{{"hex", "00abff"}}));
}

TEST(SimMachineFileTest, SectionsForLaterServicesAreKeptAsWritten) {
  simtest::TempDir temp;
  const Json ports = {{"serial", {"COM1", "COM3"}}, {"parallel", Json::array()}, {"note", 7}};
  const Json adapters = Json::array({Json{{"ip", "192.0.2.77"}, {"mask", "255.255.255.0"}, {"mac", ""}, {"name", "LAN"}}});
  Json doc = {{"format", "kvx-machine"}, {"version", 1}, {"ports", ports},
              {"networkAdapters", adapters}, {"future", {{"x", true}}}, {"uiLanguage", "pt-br"}};
  simtest::WriteFile(temp.path() / "machine.json", doc.dump());
  auto machine = SimMachine::OpenFolder(temp.path());
  EXPECT_EQ(machine->config().uiLanguage, 0x0416);
  machine->Save();
  const Json saved = Json::parse(simtest::ReadFile(temp.path() / "machine.json"));
  EXPECT_EQ(saved["ports"], ports);
  EXPECT_EQ(saved["networkAdapters"], adapters);
  EXPECT_EQ(saved["future"], (Json{{"x", true}}));
}

struct BadFile {
  const char* name;
  std::string text;
  std::string problem;
};

void PrintTo(const BadFile& file, std::ostream* os) { *os << file.name; }

class SimMachineBadFileTest : public testing::TestWithParam<BadFile> {};

TEST_P(SimMachineBadFileTest, IsRefusedAndLeftUntouched) {
  simtest::TempDir temp;
  const auto file = temp.path() / "machine.json";
  simtest::WriteFile(file, GetParam().text);
  try {
    SimMachine::OpenFolder(temp.path());
    ADD_FAILURE() << "accepted";
  } catch (const MachineFileError& e) {
    EXPECT_EQ(std::string(e.what()), file.string() + ": " + GetParam().problem);
  }
  EXPECT_EQ(simtest::ReadFile(file), GetParam().text);
}

const std::string kHead = "{\"format\": \"kvx-machine\", \"version\": 1, ";

INSTANTIATE_TEST_SUITE_P(
    Files, SimMachineBadFileTest,
    testing::Values(
        BadFile{"Malformed", "{\n  \"format\": \"kvx-machine\",\n  \"version\": 1,,\n}",
                "not valid JSON at line 3: syntax error while parsing object key - unexpected ','; expected string literal"},
        BadFile{"Empty", "", "not valid JSON at line 1: syntax error while parsing value - unexpected end of input; "
                             "expected '[', '{', or a literal"},
        BadFile{"NotAnObject", "[1]", "not a JSON object"},
        BadFile{"OtherFormat", "{\"format\": \"other\", \"version\": 1}", "format \"other\" is not \"kvx-machine\""},
        BadFile{"OtherVersion", "{\"format\": \"kvx-machine\", \"version\": 7}", "version 7 is not supported (expected 1)"},
        BadFile{"WrongType", kHead + "\"os\": {\"major\": \"six\"}}",
                "\"os.major\" must be a whole number from 0 to 4294967295"},
        BadFile{"NegativeNumber", kHead + "\"clock\": {\"startTick\": -1}}",
                "\"clock.startTick\" must be a whole number from 0 to 4294967295"},
        BadFile{"UnknownOsField", kHead + "\"os\": {\"mjor\": 5}}", "\"os\" has an unknown field \"mjor\""},
        BadFile{"DataSectionType", kHead + "\"ports\": []}", "\"ports\" must be an object"},
        BadFile{"Language", kHead + "\"uiLanguage\": \"xx-YY\"}",
                "\"uiLanguage\" \"xx-YY\" is not a known language tag (use a number, e.g. 1046 for pt-BR)"},
        BadFile{"RegistryRoot", kHead + "\"registry\": {\"HKEY_NOWHERE\": {}}}",
                "\"registry\" has an unknown root key \"HKEY_NOWHERE\""},
        BadFile{"RegistryPath", kHead + "\"registry\": {\"HKEY_USERS\": {\"A\\\\\\\\B\": {}}}}",
                "registry key \"HKEY_USERS\\A\\\\B\" is not a valid key path"},
        BadFile{"RegistryValue", kHead + "\"registry\": {\"HKEY_USERS\": {\"A\": {\"v\": true}}}}",
                "registry key \"HKEY_USERS\\A\" value \"v\" must be a text, a number, a list of texts, or an object "
                "with \"hex\", \"expandSz\" or \"qword\""},
        BadFile{"RegistryText", kHead + "\"registry\": {\"HKEY_USERS\": {\"A\": {\"v\": \"\u4e2d\"}}}}",
                "registry key \"HKEY_USERS\\A\" value \"v\" has a character outside Windows-1252"},
        BadFile{"RegistryHex", kHead + "\"registry\": {\"HKEY_USERS\": {\"A\": {\"v\": {\"hex\": \"abc\"}}}}}",
                "registry key \"HKEY_USERS\\A\" value \"v\" has hex text that is not pairs of hex digits"},
        BadFile{"SerialPortName", kHead + "\"serial\": {\"LPT1\": {\"busy\": true}}}",
                "\"serial.LPT1\" is not a COM port name (COM1, COM2, ...)"},
        BadFile{"SerialField", kHead + "\"serial\": {\"COM1\": {\"printr\": {}}}}",
                "\"serial.COM1\" has an unknown field \"printr\""},
        BadFile{"SerialPrinterRate", kHead + "\"serial\": {\"COM1\": {\"printer\": {}}}}",
                "\"serial.COM1.printer\" has no \"baud\""},
        BadFile{"SerialBusyAndMore", kHead + "\"serial\": {\"COM1\": {\"busy\": true, \"echo\": true}}}",
                "\"serial.COM1\": \"busy\" and \"device\" cannot be combined with anything else"},
        BadFile{"SerialTwice", kHead + "\"serial\": {\"COM1\": {}, \"com1:\": {}}}",
                "\"serial\" names COM1 twice"},
        BadFile{"FontsNotAList", kHead + "\"fonts\": {}}", "\"fonts\" must be a list of {\"face\", \"type\"}"},
        BadFile{"FontFaceTooLong", kHead + "\"fonts\": [{\"face\": \"" + std::string(32, 'F') + "\", \"type\": 4}]}",
                "\"fonts[0].face\" must be a text of 1 to 31 UTF-16 units"},
        BadFile{"FontType", kHead + "\"fonts\": [{\"face\": \"F\", \"type\": 8}]}",
                "\"fonts[0].type\" must be a whole number from 0 to 7"},
        BadFile{"MonitorModulesNotAList", kHead + "\"monitorModules\": {}}", "\"monitorModules\" must be a list"},
        BadFile{"MonitorModuleField", kHead + "\"monitorModules\": [{\"dll\": \"M.dll\", \"prefix\": \"M_\"}]}",
                "\"monitorModules[0]\" has an unknown field \"prefix\""},
        BadFile{"MonitorModuleNoPrefix", kHead + "\"monitorModules\": [{\"dll\": \"M.dll\"}]}",
                "\"monitorModules[0].portPrefix\" is missing"},
        BadFile{"MonitorModuleEmptyName", kHead + "\"monitorModules\": [{\"dll\": \"\", \"portPrefix\": \"M_\"}]}",
                "\"monitorModules[0].dll\" must not be empty"},
        BadFile{"MonitorModuleLoads", kHead + "\"monitorModules\": [{\"dll\": \"M.dll\", \"portPrefix\": \"M_\", "
                                              "\"loads\": \"U.dll\"}]}",
                "\"monitorModules[0].loads\" must be a list of texts"},
        BadFile{"MonitorModuleTwice", kHead + "\"monitorModules\": [{\"dll\": \"M.dll\", \"portPrefix\": \"M_\"}, "
                                              "{\"dll\": \"m.DLL\", \"portPrefix\": \"N_\"}]}",
                "\"monitorModules\" names m.DLL twice"}),
    [](const testing::TestParamInfo<BadFile>& paramInfo) { return std::string(paramInfo.param.name); });

struct ModulesCase {
  const char* name;
  std::optional<Json> given;  // "monitorModules" as written; none: left out
  std::vector<platform::sim::MonitorModule> loaded;
};

void PrintTo(const ModulesCase& c, std::ostream* os) { *os << c.name; }

class SimMachineModulesTest : public testing::TestWithParam<ModulesCase> {};

TEST_P(SimMachineModulesTest, AreReadOrTheDefaultMachinesAndSavedAsLoaded) {
  simtest::TempDir temp;
  Json doc = {{"format", "kvx-machine"}, {"version", 1}};
  if (GetParam().given) doc["monitorModules"] = *GetParam().given;
  simtest::WriteFile(temp.path() / "machine.json", doc.dump());
  SimMachine::OpenFolder(temp.path())->Save();
  EXPECT_EQ(SimMachine::OpenFolder(temp.path())->spooler().Snapshot().monitorModules, GetParam().loaded);
}

INSTANTIATE_TEST_SUITE_P(
    Modules, SimMachineModulesTest,
    testing::Values(ModulesCase{"Default", std::nullopt, {{"KorvexMon.dll", "Kvx_", {"KorvexMonUI.dll", "SiUSBXp.dll"}}}},
                    ModulesCase{"Given", Json::parse(R"([{"dll": "Other.dll", "portPrefix": "Oth_"}])"),
                                {{"Other.dll", "Oth_", {}}}},
                    ModulesCase{"None", Json::array(), {}}),
    [](const testing::TestParamInfo<ModulesCase>& test) { return std::string(test.param.name); });

TEST(SimMachineFileTest, VersionQueryFollowsTheMachine) {
  auto machine = SimMachine::InMemory();
  platform::OsVersionInfoA info;
  info.dwOSVersionInfoSize = 100;
  EXPECT_EQ(machine->version().GetVersionExA(info), platform::winerr::InsufficientBuffer);
  info.dwOSVersionInfoSize = 156;
  EXPECT_EQ(machine->version().GetVersionExA(info), 0u);
  machine->config().os.queryError = 87;
  info.dwOSVersionInfoSize = 148;
  EXPECT_EQ(machine->version().GetVersionExA(info), 87u);
  machine->config().os = {1, 4, 10, 2222, std::string(200, 'a'), 0};
  ASSERT_EQ(machine->version().GetVersionExA(info), 0u);
  EXPECT_EQ(info.dwPlatformId, 1u);
  EXPECT_EQ(info.szCSDVersion.size(), 127u);
}

TEST(SimMachineFileTest, InMemoryMachineRemovesItsFolder) {
  std::filesystem::path folder;
  {
    auto machine = SimMachine::InMemory();
    folder = machine->folder();
    EXPECT_TRUE(std::filesystem::is_directory(machine->driveC()));
    machine->Save();
  }
  EXPECT_FALSE(std::filesystem::exists(folder));
}

}  // namespace

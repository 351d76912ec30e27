// Hostile machine folders: every machine.json gives a machine or a clear error, whatever loads saves
// and loads back the same, a failed save keeps the earlier machine.json, and device modes merge
// only the fields both records have.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

#include <nlohmann/json.hpp>

#include "platform/PrintSpooler.h"
#include "platform/sim/DevMode.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"
#include "platform/sim/MachineDocumentChecks.h"

namespace {

using platform::sim::MachineFileError;
using platform::sim::SimMachine;
namespace fs = std::filesystem;
namespace winerr = platform::winerr;

std::string Repeat(const std::string& text, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += text;
  return out;
}

// A key path of `levels` names, as machine.json spells it.
std::string KeyPath(std::size_t levels) { return Repeat("k\\\\", levels - 1) + "k"; }

std::string Printed(const std::string& item) {
  return R"("spooler": {"printers": [{"name": "P", "port": "COM1:", "driver": "D", "printed": [)" + item + "]}]}";
}

struct HostileDocument {
  const char* name;
  std::string members;  // after "format" and "version"
  std::string problem;  // empty: it loads, and what it saves loads back to the same text
};

void PrintTo(const HostileDocument& row, std::ostream* os) { *os << row.name; }

class SimHostileDocumentTest : public testing::TestWithParam<HostileDocument> {};

TEST_P(SimHostileDocumentTest, GivesAMachineThatSavesTheSameOrAClearError) {
  if (!GetParam().problem.empty()) {
    simtest::ExpectDocumentRefused(GetParam().members, GetParam().problem);
    return;
  }
  simtest::TempDir temp;
  const fs::path file = temp.path() / "machine.json";
  simtest::WriteFile(file, simtest::MachineDocument(GetParam().members));
  SimMachine::OpenFolder(temp.path())->Save();
  const std::string saved = simtest::ReadFile(file);
  SimMachine::OpenFolder(temp.path())->Save();
  EXPECT_EQ(simtest::ReadFile(file), saved);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, SimHostileDocumentTest,
    testing::Values(
        HostileDocument{"NumberOutOfRange", "\"os\": {\"major\": 1e400}",
                        "not valid JSON at line 1: the number 1e400 is out of range"},
        HostileDocument{"NestedTooDeep", "\"future\": " + Repeat("[", 100000) + Repeat("]", 100000),
                        "lists and objects are nested deeper than 100 levels"},
        HostileDocument{"NestedToTheBound", "\"future\": " + Repeat("[", 99) + Repeat("]", 99), ""},
        HostileDocument{"KeyTooDeep", "\"registry\": {\"HKEY_USERS\": {\"" + KeyPath(513) + "\": {\"v\": 1}}}",
                        "registry key \"HKEY_USERS\\" + Repeat("k\\", 40) + "...\" is more than 512 levels deep"},
        HostileDocument{"KeyNameTooLong", "\"registry\": {\"HKEY_USERS\": {\"" + std::string(256, 'n') + "\": {}}}",
                        "registry key \"HKEY_USERS\\" + std::string(80, 'n') +
                            "...\" has a key name longer than 255 characters"},
        HostileDocument{"ValueNameTooLong",
                        "\"registry\": {\"HKEY_USERS\": {\"A\": {\"" + std::string(16384, 'v') + "\": 1}}}",
                        "registry key \"HKEY_USERS\\A\" value \"" + std::string(80, 'v') +
                            "...\" has a name longer than 16383 characters"},
        HostileDocument{"RegistryAtWindowsLimits",
                        "\"registry\": {\"HKEY_USERS\": {\"" + KeyPath(511) + "\\\\" + std::string(255, 'n') +
                            "\": {\"" + std::string(16383, 'v') + "\": 1}}}",
                        ""},
        HostileDocument{"EmptyMonitorName", R"("spooler": {"monitors": [""]})",
                        "\"spooler.monitors[0]\" is empty"},
        HostileDocument{"MonitorByName", R"("spooler": {"monitors": ["Korvex Port Monitor"]})", ""},
        HostileDocument{"PictureNumber", Printed(R"({"pages": [[{"picture": 4294967295, "rect": [0, 0, 1, 1]}]]})"),
                        "\"spooler.printers[0].printed[0].pages[0][0].picture\" must be a whole number from 0 to "
                        "2147483647"},
        HostileDocument{"PictureWithFont",
                        Printed(R"({"pages": [[{"picture": 1, "font": "F", "rect": [0, 0, 1, 1]}]]})"),
                        "\"spooler.printers[0].printed[0].pages[0][0]\": a picture has no \"font\""},
        HostileDocument{"RectBeyondInt32", Printed(R"({"pages": [[{"text": "t", "rect": [0, 0, 3000000000, 1]}]]})"),
                        "\"spooler.printers[0].printed[0].pages[0][0].rect\" must be a list of four whole numbers "
                        "from -2147483648 to 2147483647"},
        HostileDocument{"RawAndPages", Printed(R"({"raw": "00", "pages": []})"),
                        "\"spooler.printers[0].printed[0]\" has both \"raw\" and \"pages\""},
        HostileDocument{"PrintedAtTheLimits",
                        Printed(R"({"pages": [[{"picture": 2147483647, "rect": [-2147483648, 0, 2147483647, 1]}]]})"),
                        ""}),
    [](const testing::TestParamInfo<HostileDocument>& row) { return std::string(row.param.name); });

// What is in the machine folder, and whether the load, the check before a run or the save refuses it.
struct HostileFolder {
  const char* name;
  std::function<void(const fs::path& folder)> prepare;  // after a first save of the default machine
  std::string loadProblem;   // "<file>: <problem>" relative to the folder, "..." ending a beginning; empty: it loads
  std::string saveProblem;   // the same for the save after the load
  std::string checkProblem;  // the same for the check before a run (CheckSavable)
};

void PrintTo(const HostileFolder& row, std::ostream* os) { *os << row.name; }

void ExpectProblem(const MachineFileError& error, const fs::path& folder, const std::string& problem) {
  const std::string expected = (folder / problem).string();
  if (problem.ends_with("...")) {
    EXPECT_TRUE(std::string(error.what()).starts_with(expected.substr(0, expected.size() - 3))) << error.what();
  } else {
    EXPECT_EQ(std::string(error.what()), expected);
  }
}

// A machine.json with `members` after its header.
std::function<void(const fs::path&)> MachineFile(std::function<std::string()> members) {
  return [members](const fs::path& f) {
    simtest::WriteFile(f / "machine.json", R"({"format":"kvx-machine","version":1,)" + members() + "}");
  };
}

// Far more room indented (half a million numbers 20 levels deep) than on one line.
std::string DeepNumbers() {
  return R"("kept":)" + Repeat("[", 20) + "0" + Repeat(",0", 500000) + Repeat("]", 20);
}

// Just under the load's limit, leaving no room for a run to grow.
std::string LargeTexts() { return R"("kept":[")" + Repeat(Repeat("x", 1000) + "\",\"", 16500) + "\"]"; }

class SimHostileFolderTest : public testing::TestWithParam<HostileFolder> {};

TEST_P(SimHostileFolderTest, GivesAClearErrorAndKeepsTheEarlierMachine) {
  simtest::TempDir temp;
  const fs::path folder = temp.path();
  SimMachine::OpenFolder(folder);
  GetParam().prepare(folder);
  const fs::path file = folder / "machine.json";
  const std::string before = fs::is_regular_file(file) ? simtest::ReadFile(file) : "";
  std::unique_ptr<SimMachine> machine;
  try {
    machine = SimMachine::OpenFolder(folder);
    EXPECT_EQ(GetParam().loadProblem, "");
  } catch (const MachineFileError& e) {
    ExpectProblem(e, folder, GetParam().loadProblem);
  }
  if (machine) {
    try {
      machine->CheckSavable();
      EXPECT_EQ(GetParam().checkProblem, "");
    } catch (const MachineFileError& e) {
      ExpectProblem(e, folder, GetParam().checkProblem);
    }
    EXPECT_EQ(fs::is_regular_file(file) ? simtest::ReadFile(file) : "", before) << "the check changes nothing";
    machine->config().user.name = "changed";
    try {
      machine->Save();
      EXPECT_EQ(GetParam().saveProblem, "");
      // What the program saves, it loads again.
      EXPECT_EQ(SimMachine::OpenFolder(folder)->config().user.name, "changed");
    } catch (const MachineFileError& e) {
      ExpectProblem(e, folder, GetParam().saveProblem);
    }
  }
  if (!before.empty() && !GetParam().saveProblem.empty()) {
    EXPECT_EQ(simtest::ReadFile(file), before);
  }
  EXPECT_FALSE(fs::is_regular_file(folder / "machine.json.tmp")) << "a failed save leaves no temporary file";
}

INSTANTIATE_TEST_SUITE_P(
    Folders, SimHostileFolderTest,
    testing::Values(
        HostileFolder{"MachineFileIsAFolder",
                      [](const fs::path& f) {
                        fs::remove(f / "machine.json");
                        fs::create_directory(f / "machine.json");
                      },
                      "machine.json: not a regular file", "", ""},
        HostileFolder{"MachineFileIsAPipe",
                      [](const fs::path& f) {
                        fs::remove(f / "machine.json");
                        ASSERT_EQ(mkfifo((f / "machine.json").c_str(), 0600), 0);
                      },
                      "machine.json: not a regular file", "", ""},
        HostileFolder{"MachineFileIsADevice",
                      [](const fs::path& f) {
                        fs::remove(f / "machine.json");
                        fs::create_symlink("/dev/zero", f / "machine.json");
                      },
                      "machine.json: not a regular file", "", ""},
        HostileFolder{"MachineFileTooLarge",
                      [](const fs::path& f) { fs::resize_file(f / "machine.json", 16 * 1024 * 1024 + 1); },
                      "machine.json: larger than 16 MB", "", ""},
        HostileFolder{"TemporaryFileIsAFolder",
                      [](const fs::path& f) { fs::create_directory(f / "machine.json.tmp"); }, "",
                      "machine.json.tmp: cannot be written: Is a directory",
                      "machine.json.tmp: cannot be written: Is a directory"},
        HostileFolder{"TemporaryFileIsALink",
                      [](const fs::path& f) { fs::create_symlink(f / "elsewhere", f / "machine.json.tmp"); }, "",
                      "machine.json.tmp: cannot be written: Too many levels of symbolic links",
                      "machine.json.tmp: cannot be written: Too many levels of symbolic links"},
        HostileFolder{"LeftoverTemporaryFile",
                      [](const fs::path& f) { simtest::WriteFile(f / "machine.json.tmp", "half"); }, "", "", ""},
        HostileFolder{"TooLargeIndentedIsSavedOnOneLine", MachineFile(DeepNumbers), "", "", ""},
        HostileFolder{"NoRoomForARunToGrow", MachineFile(LargeTexts), "", "",
                      "machine.json: saved after a run this machine would take about 16.8 MB, more than the 16 MB..."}),
    [](const testing::TestParamInfo<HostileFolder>& row) { return std::string(row.param.name); });

TEST(SimHostileFolderTest, ReplacedMachineFileIsNotOverwrittenByAFolderSave) {
  simtest::TempDir temp;
  auto machine = SimMachine::OpenFolder(temp.path());
  fs::remove(temp.path() / "machine.json");
  fs::create_directory(temp.path() / "machine.json");
  try {
    machine->Save();
    ADD_FAILURE() << "saved over a folder";
  } catch (const MachineFileError& e) {
    EXPECT_EQ(std::string(e.what()), (temp.path() / "machine.json").string() + ": cannot be replaced: Is a directory");
  }
  EXPECT_TRUE(fs::is_directory(temp.path() / "machine.json"));
  EXPECT_FALSE(fs::exists(temp.path() / "machine.json.tmp"));
}

// The device tree's sections of machine.json, as the device calls read them.
struct HostileDeviceSection {
  const char* name;
  std::string members;
  std::function<platform::DWORD(platform::DeviceSetup&)> call;
  platform::DWORD result;
};

void PrintTo(const HostileDeviceSection& row, std::ostream* os) { *os << row.name; }

class SimHostileDeviceSectionTest : public testing::TestWithParam<HostileDeviceSection> {};

TEST_P(SimHostileDeviceSectionTest, AnswersAnErrorOrIgnoresIt) {
  simtest::TempDir temp;
  simtest::WriteFile(temp.path() / "machine.json",
                     R"({"format": "kvx-machine", "version": 1, )" + GetParam().members + "}");
  auto machine = SimMachine::OpenFolder(temp.path());
  simtest::WriteFile(machine->driveC() / "Kvx" / "kvx.inf", "[Version]");
  EXPECT_EQ(GetParam().call(machine->devices()), GetParam().result);
  machine->Save();
}

platform::DWORD UpdateDriver(platform::DeviceSetup& devices) {
  bool reboot = false;
  return devices.UpdateDriverForPlugAndPlayDevicesA("ACPI\\PNP0501", "C:\\Kvx\\kvx.inf", 0, reboot);
}

platform::DWORD OpenFirstDeviceKey(platform::DeviceSetup& devices) {
  constexpr platform::Guid kPorts = {0x78, 0xE9, 0x36, 0x4D, 0x25, 0xE3, 0xCE, 0x11,
                                     0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18};
  std::unique_ptr<platform::DeviceInfoSet> set;
  if (const platform::DWORD error = devices.SetupDiGetClassDevsA(kPorts, 0, set)) return error;
  platform::DeviceInfoData device;
  if (const platform::DWORD error = set->SetupDiEnumDeviceInfo(0, device)) return error;
  std::unique_ptr<platform::RegistryKey> key;
  return set->SetupDiOpenDevRegKey(device, platform::dicskey::ScopeGlobal, platform::dicskey::ProfileCurrent,
                                   platform::dicskey::KeyTypeDevice, platform::regaccess::Read, key);
}

std::string Port(const std::string& instanceId) {
  return R"("devices": [{"class": "Ports", "hardwareIds": ["ACPI\\PNP0501"], "portName": "COM1", "present": true, )"
         R"("instanceId": ")" + instanceId + "\"}]";
}

INSTANTIATE_TEST_SUITE_P(
    Sections, SimHostileDeviceSectionTest,
    testing::Values(
        HostileDeviceSection{"PackageFlagsOfAnotherType",
                             R"("driverPackages": {"ACPI\\PNP0501": {"better": "yes", "reboot": 1}})", UpdateDriver,
                             winerr::Success},
        HostileDeviceSection{"PackageNotAnObject", R"("driverPackages": {"ACPI\\PNP0501": 5})", UpdateDriver,
                             winerr::Success},
        HostileDeviceSection{"InstanceIdTooDeep", Port(KeyPath(509)), OpenFirstDeviceKey, winerr::InvalidData},
        HostileDeviceSection{"InstanceIdNameTooLong", Port(std::string(256, 'i')), OpenFirstDeviceKey,
                             winerr::InvalidData},
        HostileDeviceSection{"InstanceIdAtTheLimits", Port(KeyPath(507) + "\\\\" + std::string(255, 'i')),
                             OpenFirstDeviceKey, winerr::Success}),
    [](const testing::TestParamInfo<HostileDeviceSection>& row) { return std::string(row.param.name); });

// Device modes: the stored record's size (dmSize + dmDriverExtra), the incoming record's, the
// fields it asks for, and the fields the merge takes from it.
struct DevModeMerge {
  const char* name;
  std::size_t storedSize, storedExtra, inputSize;
  platform::DWORD asked, taken;
};

void PrintTo(const DevModeMerge& row, std::ostream* os) { *os << row.name; }

constexpr platform::DWORD kOrientation = 0x1, kMediaType = 0x2000000, kDitherType = 0x4000000;

platform::sim::DevModeBytes Record(std::size_t size, std::size_t extra, std::uint8_t fill, platform::DWORD fields) {
  platform::sim::DevModeBytes dm(size + extra, fill);
  const auto put = [&](std::size_t offset, std::size_t bytes, std::size_t value) {
    for (std::size_t i = 0; i < bytes; ++i) dm[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  put(platform::devmode::SizeOffset, 2, size);
  put(platform::devmode::DriverExtraOffset, 2, extra);
  put(platform::devmode::FieldsOffset, 4, fields);
  return dm;
}

class SimDevModeMergeTest : public testing::TestWithParam<DevModeMerge> {};

TEST_P(SimDevModeMergeTest, TakesOnlyFieldsBothRecordsHave) {
  const DevModeMerge& row = GetParam();
  const auto stored = Record(row.storedSize, row.storedExtra, 0x11, kOrientation);
  const auto input = Record(row.inputSize, 0, 0x22, row.asked);
  auto expected = stored;
  const std::tuple<platform::DWORD, int, int> offsets[] = {
      {kOrientation, 44, 2}, {kMediaType, 132, 4}, {kDitherType, 136, 4}};
  for (const auto& [flag, offset, size] : offsets) {
    if (row.taken & flag) std::fill_n(expected.begin() + offset, size, 0x22);
  }
  const platform::DWORD fields = kOrientation | row.taken;
  for (std::size_t i = 0; i < 4; ++i) {
    expected[platform::devmode::FieldsOffset + i] = static_cast<std::uint8_t>(fields >> (8 * i));
  }
  EXPECT_EQ(platform::sim::MergeDevMode(stored, input), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Records, SimDevModeMergeTest,
    testing::Values(DevModeMerge{"StoredOldRecordAlone", 124, 0, 156, kMediaType | kDitherType, 0},
                    DevModeMerge{"StoredOldRecordWithPrivatePart", 124, 16, 156, kMediaType | kOrientation,
                                 kOrientation},
                    DevModeMerge{"IncomingOldRecord", 156, 16, 124, kDitherType | kOrientation, kOrientation},
                    DevModeMerge{"BothCurrent", 156, 16, 156, kMediaType | kDitherType, kMediaType | kDitherType}),
    [](const testing::TestParamInfo<DevModeMerge>& row) { return std::string(row.param.name); });

}  // namespace

// The simulated registry answers as Windows does for the calls the system makes.
#include <gtest/gtest.h>

#include <thread>

#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::DWORD;
using platform::RegistryKey;
using platform::RootKey;
namespace regaccess = platform::regaccess;
namespace regtype = platform::regtype;

class SimRegistryTest : public testing::Test {
protected:
  std::unique_ptr<RegistryKey> Create(const std::string& path, DWORD access = regaccess::AllAccess) {
    std::unique_ptr<RegistryKey> key;
    EXPECT_EQ(registry().CreateKey(RootKey::LocalMachine, path, access, key), 0);
    return key;
  }
  platform::Registry& registry() { return machine_->registry(); }
  // The names of a key's subkeys or values, in the machine's order.
  std::vector<std::string> SubkeyNames(const std::string& path) {
    std::lock_guard lock(machine_->registryTree().mutex());
    std::vector<std::string> names;
    for (const auto& child : machine_->registryTree().Key(RootKey::LocalMachine, path)->subkeys) names.push_back(child->name);
    return names;
  }
  std::vector<std::string> ValueNames(const std::string& path) {
    std::lock_guard lock(machine_->registryTree().mutex());
    std::vector<std::string> names;
    for (const auto& value : machine_->registryTree().Key(RootKey::LocalMachine, path)->values) names.push_back(value.name);
    return names;
  }

  std::unique_ptr<platform::sim::SimMachine> machine_ = platform::sim::SimMachine::InMemory();
};

TEST_F(SimRegistryTest, MissingKeysAndValuesAreFileNotFound) {
  std::unique_ptr<RegistryKey> key;
  EXPECT_EQ(registry().OpenKey(RootKey::LocalMachine, "SOFTWARE\\Korvex", regaccess::Read, key), 2);
  EXPECT_EQ(key, nullptr);
  key = Create("SOFTWARE\\Korvex");
  DWORD type = 0;
  std::vector<std::uint8_t> data;
  EXPECT_EQ(key->QueryValue("Absent", type, data), 2);
}

TEST_F(SimRegistryTest, CreateMakesEveryMissingKeyAndNamesIgnoreCase) {
  ASSERT_EQ(Create("SOFTWARE\\Korvex\\KvxPortsIO\\Kvx_COM1")->SetValue("BaudRate", regtype::Dword,
                                                                       platform::RegDwordBytes(9600)),
            0);
  std::unique_ptr<RegistryKey> key;
  ASSERT_EQ(registry().OpenKey(RootKey::LocalMachine, "software\\KORVEX\\kvxportsio\\KVX_com1\\", regaccess::Read, key), 0);
  DWORD type = 0;
  std::vector<std::uint8_t> data;
  ASSERT_EQ(key->QueryValue("baudrate", type, data), 0);
  EXPECT_EQ(type, regtype::Dword);
  EXPECT_EQ(data, platform::RegDwordBytes(9600));

  EXPECT_EQ(SubkeyNames("SOFTWARE\\Korvex"), std::vector<std::string>{"KvxPortsIO"});
  // Creating an existing key opens it; it does not make a second one.
  Create("Software\\korvex\\KVXPORTSIO");
  EXPECT_EQ(SubkeyNames("SOFTWARE\\Korvex"), std::vector<std::string>{"KvxPortsIO"});
}

TEST_F(SimRegistryTest, ValuesKeepTheirBytesTypeAndCreationOrder) {
  auto key = Create("SOFTWARE\\Values");
  ASSERT_EQ(key->SetValue("Text", regtype::Sz, platform::RegSzBytes("abc")), 0);
  ASSERT_EQ(key->SetValue("", regtype::Sz, platform::RegSzBytes("default")), 0);
  ASSERT_EQ(key->SetValue("Raw", regtype::Binary, {0, 1, 0xFF}), 0);
  ASSERT_EQ(key->SetValue("TEXT", regtype::ExpandSz, platform::RegSzBytes("%x%")), 0);

  EXPECT_EQ(ValueNames("SOFTWARE\\Values"), (std::vector<std::string>{"Text", "", "Raw"}));

  DWORD type = 0;
  std::vector<std::uint8_t> data;
  ASSERT_EQ(key->QueryValue("text", type, data), 0);
  EXPECT_EQ(type, regtype::ExpandSz);
  EXPECT_EQ(data, (std::vector<std::uint8_t>{'%', 'x', '%', 0}));
  ASSERT_EQ(key->QueryValue("", type, data), 0);
  EXPECT_EQ(platform::RegSzText(data), "default");
}

TEST_F(SimRegistryTest, SubkeysEnumerateInNameOrder) {
  for (const char* name : {"Zeta", "alpha", "Beta", "A_B", "AB"}) Create(std::string("SOFTWARE\\Order\\") + name);
  EXPECT_EQ(SubkeyNames("SOFTWARE\\Order"), (std::vector<std::string>{"AB", "alpha", "A_B", "Beta", "Zeta"}));
}

TEST_F(SimRegistryTest, HandlesAllowOnlyWhatTheyWereOpenedFor) {
  Create("SOFTWARE\\Access\\Existing");
  std::unique_ptr<RegistryKey> reader;
  ASSERT_EQ(registry().OpenKey(RootKey::LocalMachine, "SOFTWARE\\Access", regaccess::Read, reader), 0);
  EXPECT_EQ(reader->SetValue("v", regtype::Sz, platform::RegSzBytes("x")), 5);

  std::unique_ptr<RegistryKey> writer;
  ASSERT_EQ(registry().OpenKey(RootKey::LocalMachine, "SOFTWARE\\Access", regaccess::SetValue, writer), 0);
  EXPECT_EQ(writer->SetValue("v", regtype::Sz, platform::RegSzBytes("x")), 0);
  DWORD type = 0;
  std::vector<std::uint8_t> data;
  EXPECT_EQ(writer->QueryValue("v", type, data), 5);

  std::unique_ptr<RegistryKey> generic;
  ASSERT_EQ(registry().OpenKey(RootKey::LocalMachine, "SOFTWARE\\Access", 0x80000000, generic), 0);
  EXPECT_EQ(generic->QueryValue("v", type, data), 0);
}

TEST_F(SimRegistryTest, MalformedPathsAreRejected) {
  std::unique_ptr<RegistryKey> key;
  EXPECT_EQ(registry().CreateKey(RootKey::CurrentUser, "\\Software", regaccess::AllAccess, key), 161);
  EXPECT_EQ(registry().CreateKey(RootKey::CurrentUser, "Software\\\\X", regaccess::AllAccess, key), 161);
  EXPECT_EQ(key, nullptr);
}

// Windows' limits: key names of 255 characters, 512 levels below the root, value names of 16383 characters.
struct LimitCase {
  const char* name;
  std::string subKey, valueName;
  platform::LONG created, valueSet;
  std::string opens;  // a key path that exists afterwards
};

void PrintTo(const LimitCase& row, std::ostream* os) { *os << row.name; }

std::string Levels(std::size_t count) {
  std::string path = "k";
  for (std::size_t i = 1; i < count; ++i) path += "\\k";
  return path;
}

class SimRegistryLimitTest : public SimRegistryTest, public testing::WithParamInterface<LimitCase> {};

TEST_P(SimRegistryLimitTest, RefusesWhatWindowsRefuses) {
  const LimitCase& row = GetParam();
  std::unique_ptr<RegistryKey> key;
  ASSERT_EQ(registry().CreateKey(RootKey::LocalMachine, row.subKey, regaccess::AllAccess, key), row.created);
  if (key) {
    EXPECT_EQ(key->SetValue(row.valueName, regtype::Dword, platform::RegDwordBytes(1)), row.valueSet);
  }
  if (!row.opens.empty()) {
    EXPECT_EQ(registry().OpenKey(RootKey::LocalMachine, row.opens, regaccess::Read, key), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, SimRegistryLimitTest,
    testing::Values(LimitCase{"LongestName", std::string(255, 'k'), "v", 0, 0, std::string(255, 'K')},
                    LimitCase{"NameTooLong", "A\\" + std::string(256, 'k'), "", 87, 0, ""},
                    LimitCase{"DeepestKey", Levels(512), "v", 0, 0, Levels(512)},
                    LimitCase{"TooDeep", Levels(513), "", 87, 0, ""},
                    LimitCase{"LongestValueName", "V", std::string(16383, 'v'), 0, 0, ""},
                    LimitCase{"ValueNameTooLong", "V", std::string(16384, 'v'), 0, 87, ""},
                    LimitCase{"NamesEndAtNul", simtest::Bytes("Cut\0\\Rest"), "v", 0, 0, "Cut"}),
    [](const testing::TestParamInfo<LimitCase>& row) { return std::string(row.param.name); });

TEST_F(SimRegistryTest, EveryOpenKeyIsAccountedUntilClosed) {
  auto& handles = machine_->handles();
  EXPECT_EQ(handles.OpenCount(), 0u);
  {
    auto a = Create("SOFTWARE\\Korvex");
    std::unique_ptr<RegistryKey> b;
    ASSERT_EQ(registry().OpenKey(RootKey::LocalMachine, "SOFTWARE\\Korvex", regaccess::Read, b), 0);
    EXPECT_EQ(handles.OpenCount("registry key"), 2u);
    EXPECT_EQ(handles.Describe().front(), "registry key HKEY_LOCAL_MACHINE\\SOFTWARE\\Korvex");
  }
  EXPECT_EQ(handles.OpenCount(), 0u);
  machine_->faults().FailOnce("RegCreateKeyExA", 1450);
  std::unique_ptr<RegistryKey> failed;
  EXPECT_EQ(registry().CreateKey(RootKey::LocalMachine, "SOFTWARE\\Korvex", regaccess::AllAccess, failed), 1450);
  EXPECT_EQ(handles.OpenCount(), 0u);
}

TEST_F(SimRegistryTest, WritersOnSeveralThreadsAllLand) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < 50; ++i) {
        auto key = Create("SOFTWARE\\Shared\\T" + std::to_string(t));
        const auto value = platform::RegDwordBytes(static_cast<DWORD>(i));
        EXPECT_EQ(key->SetValue("v" + std::to_string(i), regtype::Dword, value), 0);
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(ValueNames("SOFTWARE\\Shared\\T3").size(), 50u);
  EXPECT_EQ(machine_->handles().OpenCount(), 0u);
}

TEST_F(SimRegistryTest, KeyOutlivingItsMachineClosesSafely) {
  auto key = Create("SOFTWARE\\Late");
  machine_.reset();
  EXPECT_EQ(key->SetValue("v", regtype::Dword, platform::RegDwordBytes(1)), 0);
  key.reset();
}

}  // namespace

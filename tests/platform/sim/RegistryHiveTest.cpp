// The binary hive file: what the machine writes reads back the same, and an independent reader
// (libhivex's hivexregedit) finds every key and value in it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/RegistryDump.h"
#include "platform/sim/RegistryHive.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::sim::RegNode;
namespace regtype = platform::regtype;
using Bytes = std::vector<std::uint8_t>;

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Every kind of value and name the file stores differently.
std::shared_ptr<RegNode> SampleKey() {
  auto root = std::make_shared<RegNode>("Printer \xE9");
  Bytes big(40000);
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<std::uint8_t>(i * 7);
  root->SetValue("", regtype::Sz, Text(std::string("default\0", 8)));
  root->SetValue("Name", regtype::Sz, Text(std::string("K\xE9 \x80\0", 5)));
  root->SetValue("Path", regtype::ExpandSz, Text(std::string("%SystemRoot%\0", 13)));
  root->SetValue("Default DevMode", regtype::Binary, Bytes{1, 2, 3, 4, 5, 6, 7});
  root->SetValue("Attributes", regtype::Dword, Bytes{0x40, 0x02, 0, 0});
  root->SetValue("Lines", regtype::MultiSz, Text(std::string("a\0b\xFC\0\0", 6)));
  root->SetValue("Stamp", regtype::Qword, Bytes{1, 2, 3, 4, 5, 6, 7, 8});
  root->SetValue("Empty", regtype::Binary, {});
  root->SetValue("Big", regtype::Binary, big);
  root->SetValue("Caf\xE9", regtype::Dword, Bytes{1, 0, 0, 0});  // fits one byte per character
  root->SetValue("Euro \x80", regtype::Dword, Bytes{2, 0, 0, 0});  // does not: stored as UTF-16
  const auto data = root->AddSubkey("PrinterDriverData");
  data->SetValue("FontSubst", regtype::Binary, Bytes(16345, 0xAB));  // one byte past a cell's most
  data->AddSubkey("Deeper \x80")->AddSubkey("\xC0gua")->SetValue("x", regtype::Sz, Text(std::string("1\0", 2)));
  const auto many = root->AddSubkey("Many");
  for (int i = 0; i < 1200; ++i) many->AddSubkey("K" + std::to_string(i));  // more than one list leaf
  return root;
}

class RegistryHiveTest : public testing::Test {
protected:
  std::filesystem::path Written(const RegNode& key) {
    const auto file = dir_.path() / "key.hiv";
    const Bytes bytes = platform::sim::WriteHive(key, 0x01D9000000000000ULL);
    simtest::WriteFile(file, std::string(bytes.begin(), bytes.end()));
    return file;
  }
  simtest::TempDir dir_;
};

TEST_F(RegistryHiveTest, WrittenKeyReadsBackTheSame) {
  const auto key = SampleKey();
  std::shared_ptr<RegNode> read;
  ASSERT_EQ(platform::sim::ReadHive(Written(*key), 512, read), 0u);
  EXPECT_EQ(simtest::DumpKey(*read), simtest::DumpKey(*key));
}

TEST_F(RegistryHiveTest, BrokenFilesAreRefusedWithWindowsErrors) {
  RegNode deep("Root");
  RegNode* node = &deep;
  for (int i = 0; i < 5; ++i) node = node->AddSubkey("L" + std::to_string(i)).get();
  const std::string good = simtest::ReadFile(Written(deep));
  std::string badChecksum = good;
  badChecksum[0x30] ^= 1;
  struct Case {
    const char* what;
    std::string bytes;
    std::size_t maxDepth;
    platform::DWORD error;
  };
  const Case cases[] = {
      {"text", "Windows Registry Editor Version 5.00\r\n", 512, platform::winerr::NotRegistryFile},
      {"header only", good.substr(0, 0x1000), 512, platform::winerr::NotRegistryFile},
      {"bad checksum", badChecksum, 512, platform::winerr::NotRegistryFile},
      {"cut in its bins", good.substr(0, 0x1000 + 0x800), 512, platform::winerr::NotRegistryFile},
      {"deeper than allowed", good, 4, platform::winerr::BadDb},
      {"as deep as allowed", good, 5, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto file = dir_.path() / "case.hiv";
    simtest::WriteFile(file, c.bytes);
    std::shared_ptr<RegNode> read;
    EXPECT_EQ(platform::sim::ReadHive(file, c.maxDepth, read), c.error);
  }
}

// hivexregedit prints each key as [\path] and each value as "name"=...; the root key is "\".
TEST_F(RegistryHiveTest, HivexregeditReadsEveryKeyAndValue) {
  if (std::system("command -v hivexregedit >/dev/null 2>&1") != 0) {
    GTEST_SKIP() << "hivexregedit (Debian libwin-hivex-perl) is not installed";
  }
  const auto key = SampleKey();
  const auto file = Written(*key);
  const auto exported = dir_.path() / "export.txt";
  const std::string command =
      "hivexregedit --export --prefix '' '" + file.string() + "' '\\' > '" + exported.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  // Perl prints a name in UTF-8 when it has a character past U+00FF, else in Latin-1.
  const std::string text = simtest::ReadFile(exported);
  const auto found = [&](const std::string& ansi) {
    return text.find(ansi) != std::string::npos || text.find(platform::AnsiToUtf8(ansi)) != std::string::npos;
  };

  std::vector<std::string> expected;
  const auto collect = [&](const auto& self, const RegNode& node, const std::string& path) -> void {
    expected.push_back("[" + (path.empty() ? "\\" : path) + "]");
    for (const auto& v : node.values) expected.push_back(v.name.empty() ? "@=" : "\"" + v.name + "\"=");
    for (const auto& child : node.subkeys) self(self, *child, path + "\\" + child->name);
  };
  collect(collect, *key, "");
  for (const std::string& line : expected) EXPECT_TRUE(found(line)) << platform::AnsiToUtf8(line);
  // Text values come out as the UTF-16 the file holds.
  EXPECT_NE(text.find("\"Path\"=hex(2):25,00,53,00,79,00"), std::string::npos);
}

}  // namespace

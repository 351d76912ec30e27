#include "engine/Catalog.h"

#include <gtest/gtest.h>

#include "installer/InstallerTestSupport.h"

namespace {

using installertest::CatalogFolder;
using Strings = std::vector<std::string>;

class CatalogTest : public ::testing::Test {
protected:
  std::unique_ptr<platform::sim::SimMachine> machine = platform::sim::SimMachine::InMemory();
  platform::PrivateProfile& profile = machine->profile();

  Strings Models(const std::string& section) {
    folder.Write("[Supported.Printers]\r\n" + section);
    return ReadSupportedPrinters(profile, false);
  }
  Strings Decorated(const std::string& section) {
    folder.Write("[Supported.Printers]\r\n" + section);
    return ReadSupportedPrinters(profile, true);
  }

  CatalogFolder folder;
};

TEST_F(CatalogTest, ExampleCatalog) {
  EXPECT_EQ(ReadSupportedPrinters(profile, false), (Strings{"RQ-7200 TH", "VT5000", "VT5200"}));
  EXPECT_EQ(ReadSupportedPrinters(profile, true), (Strings{"RQ-7200 TH $0003", "VT5000 $0000", "VT5200 $0003"}));

  std::string value = "untouched";
  EXPECT_TRUE(IsOstrelModel(profile, "RQ-7200 TH", &value));
  EXPECT_EQ(value, "RQ-7200 TH");
  EXPECT_TRUE(IsOstrelModel(profile, "Kvx RQ-7200 TH Plus"));
  value = "untouched";
  EXPECT_FALSE(IsOstrelModel(profile, "VT5000", &value));
  EXPECT_EQ(value, "untouched");

  for (int kind = kSerialInterface; kind <= kEthernetInterface; ++kind)
    EXPECT_TRUE(IsInterfaceSupported(profile, "RQ-7200 TH", kind)) << kind;
  EXPECT_TRUE(IsInterfaceSupported(profile, "VT5000", kSerialInterface));
  EXPECT_FALSE(IsInterfaceSupported(profile, "VT5000", kParallelInterface));
  EXPECT_FALSE(IsInterfaceSupported(profile, "VT5000", kUsbInterface));
  EXPECT_FALSE(IsInterfaceSupported(profile, "RQ-7200 TH", 4));
  EXPECT_FALSE(IsInterfaceSupported(profile, "RQ-7200 TH", -1));
  // A part of a listed name counts.
  EXPECT_TRUE(IsInterfaceSupported(profile, "VT52", kUsbInterface));
}

TEST_F(CatalogTest, BoardMarkersSetTheFlagsOfWhatFollows) {
  EXPECT_EQ(Decorated("A1\r\nLindor=B2\r\nC3\r\nA1\r\n"), (Strings{"A1 $0003", "B2 $0003", "C3 $0003"}));
  EXPECT_EQ(Decorated("A1\r\nX=Y\r\n"), (Strings{"A1 $0000", "X $0000", "Y $0000"}));
  // A name with a marker inside is a marker, never a model.
  EXPECT_EQ(Models("MyOstrelBoard\r\nLindorX=Q\r\n"), (Strings{"Q"}));
  EXPECT_EQ(Models("Ostrel=\r\nLindor\r\n"), Strings{});
  // Case matters for names and markers alike.
  EXPECT_EQ(Decorated("vt1\r\nVT1\r\nostrel=Z\r\n"), (Strings{"vt1 $0000", "VT1 $0000", "ostrel $0000", "Z $0000"}));
}

TEST_F(CatalogTest, TokensAreCutAtEverySeparatorAndTrimmed) {
  EXPECT_EQ(Models("  A |B,, C =D\t\r\n|,=\r\nE"), (Strings{"A", "B", "C", "D", "E"}));
}

TEST_F(CatalogTest, MissingOrEmptyOstrelValueMatchesEveryName) {
  folder.Write("[Supported.Printers]\r\nVT5000\r\n");
  std::string value = "x";
  EXPECT_TRUE(IsOstrelModel(profile, "VT5000", &value));
  EXPECT_EQ(value, "");
  folder.Write("[Supported.Printers]\r\nOstrel=   \r\n");
  EXPECT_TRUE(IsOstrelModel(profile, "anything"));
}

TEST_F(CatalogTest, LongValuesAreCutTo99Characters) {
  const std::string longName(150, 'R');
  folder.Write("[Supported.Printers]\r\nOstrel=" + longName + "\r\n");
  std::string value;
  EXPECT_TRUE(IsOstrelModel(profile, std::string(99, 'R'), &value));
  EXPECT_EQ(value, std::string(99, 'R'));
  folder.Write("[KvxDrivers.2K.FILES]\r\ndriver=" + longName + "\r\n");
  EXPECT_EQ(ReadCatalogValue(profile, "KvxDrivers.2K.FILES", "driver", "KorvexVT5K.dll"), std::string(99, 'R'));
  EXPECT_EQ(ReadCatalogValue(profile, "KvxDrivers.2K.FILES", "monitor", "KorvexMon.dll"), "KorvexMon.dll");
}

TEST_F(CatalogTest, InterfaceValuesAreCutTo511Characters) {
  folder.Write("[Interface.Supported.Printers]\r\nUSB=" + std::string(520, 'x') + "|VT5200\r\n");
  EXPECT_FALSE(IsInterfaceSupported(profile, "VT5200", kUsbInterface));
  EXPECT_TRUE(IsInterfaceSupported(profile, std::string(511, 'x'), kUsbInterface));
  EXPECT_FALSE(IsInterfaceSupported(profile, std::string(512, 'x'), kUsbInterface));
}

TEST_F(CatalogTest, SectionLongerThan1024BytesLosesItsTail) {
  std::string section;
  Strings all;
  for (int i = 0; i < 100; ++i) {
    all.push_back("RQ-" + std::to_string(1000 + i) + "-MODEL-X");  // 15 characters + NUL each
    section += all.back() + "\r\n";
  }
  const Strings models = Models(section);
  // 63 whole names take 1008 bytes; the 64th is cut to what fits before the double NUL.
  ASSERT_EQ(models.size(), 64u);
  EXPECT_TRUE(std::equal(models.begin(), models.end() - 1, all.begin()));
  EXPECT_EQ(models.back(), all[63].substr(0, 14));
}

TEST_F(CatalogTest, BadFilesGiveEmptyListsWithoutHarm) {
  folder.Write("");
  EXPECT_TRUE(ReadSupportedPrinters(profile, true).empty());
  folder.Write(std::string("\0\xff\xfe[Supported.Printers\0]\n\x01\x02=\xff\n", 24));
  EXPECT_NO_THROW(ReadSupportedPrinters(profile, true));
  folder.Write("[Other]\r\nRQ-1\r\n");
  EXPECT_TRUE(ReadSupportedPrinters(profile, false).empty());
  EXPECT_EQ(Models("RQ-1\r\nVT-2"), (Strings{"RQ-1", "VT-2"}));  // no final line end
}

TEST(CatalogWithoutFile, ReadsNothingAndUsesDefaults) {
  CatalogFolder folder(std::nullopt);
  auto machine = platform::sim::SimMachine::InMemory();
  EXPECT_TRUE(ReadSupportedPrinters(machine->profile(), false).empty());
  EXPECT_TRUE(IsOstrelModel(machine->profile(), "RQ-7200 TH"));
  EXPECT_FALSE(IsInterfaceSupported(machine->profile(), "RQ-7200 TH", kSerialInterface));
  EXPECT_EQ(ReadCatalogValue(machine->profile(), "KvxDrivers.2K.FILES", "driver", "KorvexVT5K.dll"),
            "KorvexVT5K.dll");
}

}  // namespace

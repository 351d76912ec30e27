// The parallel-port kernel driver refresh, by the file versions of the simulated machine.
#include "engine/ParallelPortDriver.h"

#include <gtest/gtest.h>

#include "installer/engine/EngineTestSupport.h"

namespace {

namespace fs = std::filesystem;

std::string Versioned(const std::optional<std::string>& version, const std::string& body) {
  return (version ? "KVXVERSION " + *version + "\r\n" : std::string()) + body;
}

class ParallelPortDriverTest : public ::testing::Test {
protected:
  ParallelPortDriverTest() { fs::create_directories(Drivers()); }
  void TearDown() override { EXPECT_EQ(harness.machine->handles().OpenCount(), 0u); }

  fs::path Drivers() const { return harness.machine->driveC() / "Windows" / "System32" / "drivers"; }
  void Installed(const std::optional<std::string>& version) {
    simtest::WriteFile(Drivers() / "tolvpar.sys", Versioned(version, "installed"));
  }
  void Shipped(const std::optional<std::string>& version) {
    simtest::WriteFile(fs::path("WIN2KXP") / "tolvpar.sys", Versioned(version, "shipped"));
  }
  bool Older(const std::optional<std::string>& installed, const std::optional<std::string>& shipped) {
    Installed(installed);
    Shipped(shipped);
    installer.SetSourceDirectory();
    return IsInstalledParallelDriverOlder(installer);
  }
  // Copied as "Tolvpar.sys": the same file, as names ignore case.
  std::string Copied() const { return simtest::ReadFile(Drivers() / "tolvpar.sys"); }

  enginetest::EngineHarness harness;
  Win2kXPInstaller installer{harness.context};
};

TEST_F(ParallelPortDriverTest, TheHighHalfOfTheVersionDecidesBeforeTheLowHalf) {
  struct Case {
    const char *installed, *shipped;
    bool older;
  };
  const Case cases[] = {
      {"1.0.0.0", "2.0.0.0", true},
      {"2.0.0.0", "1.9.9.9", false},   // a larger low half does not outweigh the high half
      {"1.2.9.9", "1.3.0.0", true},    // the minor number is part of the high half
      {"1.2.3.4", "1.2.3.5", true},
      {"1.2.3.5", "1.2.3.4", false},
      {"1.2.3.4", "1.2.4.0", true},
      {"1.2.3.4", "1.2.3.4", false},  // equal is not older
      {"32768.0.0.0", "1.0.0.0", false},  // halves compare unsigned
      {"1.0.0.0", "32768.0.0.0", true},
      {"1.0.32768.0", "1.0.1.0", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Older(c.installed, c.shipped), c.older) << c.installed << " against " << c.shipped;
}

TEST_F(ParallelPortDriverTest, OnlyTheInstalledFilesVersionCanBeMissing) {
  EXPECT_TRUE(Older(std::nullopt, "1.0.0.0"));
  EXPECT_TRUE(Older(std::nullopt, std::nullopt));
  EXPECT_FALSE(Older("1.0.0.0", std::nullopt));
  // No installed file at all is like one without a version.
  fs::remove(Drivers() / "tolvpar.sys");
  EXPECT_TRUE(IsInstalledParallelDriverOlder(installer));
}

TEST_F(ParallelPortDriverTest, ANewerShippedDriverReplacesTheInstalledOne) {
  Installed("1.0.0.0");
  Shipped("1.0.0.1");
  EXPECT_TRUE(installer.InstallParallelPortDriver());
  EXPECT_EQ(installer.record.sourceDir, ".\\WIN2KXP");
  EXPECT_EQ(Copied(), Versioned("1.0.0.1", "shipped"));
}

TEST_F(ParallelPortDriverTest, AnInstalledDriverWithoutVersionIsAlwaysReplaced) {
  Installed(std::nullopt);
  Shipped("0.0.0.1");
  EXPECT_TRUE(installer.InstallParallelPortDriver());
  EXPECT_EQ(Copied(), Versioned("0.0.0.1", "shipped"));
}

TEST_F(ParallelPortDriverTest, AnEqualOrUnversionedShippedDriverIsNotCopied) {
  Installed("1.2.3.4");
  Shipped("1.2.3.4");
  EXPECT_FALSE(installer.InstallParallelPortDriver());
  Shipped(std::nullopt);
  EXPECT_FALSE(installer.InstallParallelPortDriver());
  EXPECT_EQ(Copied(), Versioned("1.2.3.4", "installed"));
  EXPECT_EQ(harness.machine->faults().CallCount("CopyFileA"), 0u);
}

TEST_F(ParallelPortDriverTest, AFailedCopyIsReported) {
  Installed("1.0.0.0");
  Shipped("2.0.0.0");
  harness.machine->faults().FailOnce("CopyFileA", platform::winerr::SharingViolation);
  EXPECT_FALSE(installer.InstallParallelPortDriver());
  EXPECT_EQ(Copied(), Versioned("1.0.0.0", "installed"));
}

}  // namespace

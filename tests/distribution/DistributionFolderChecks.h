#pragma once
// The distribution folder the build lays out, seen through the engine that installs from it. Each
// build's test program includes this once and supplies its machine: the simulated one on Linux
// (where the folder is drive D:), the real one on Windows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "engine/Catalog.h"
#include "engine/Win2kXPInstaller.h"

platform::Platform& DistributionMachine();
// The files of the folder that this build makes itself, besides the catalog and the READMEs, by their
// paths in the folder.
std::vector<std::string> BuiltFiles();

namespace {

namespace fs = std::filesystem;

class DistributionFolderTest : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(fs::is_directory(KVX_DISTRIBUTION_DIR)) << "build the target 'distribution' first";
    previous_ = fs::current_path();
    fs::current_path(KVX_DISTRIBUTION_DIR);
  }
  void TearDown() override { fs::current_path(previous_); }

  static bool IsFile(const std::string& name) {
    platform::DWORD attributes = 0;
    return DistributionMachine().files.GetFileAttributesA(name, attributes) == platform::winerr::Success &&
           (attributes & platform::fileattr::Directory) == 0;
  }

private:
  fs::path previous_;
};

TEST_F(DistributionFolderTest, HoldsEveryFileAnInstallationOfAListedModelReads) {
  platform::Platform& os = DistributionMachine();
  EngineContext context{os, {}, [] { return kOsVistaOrLater; }, [] {}, {}};
  // The interface drivers, by the paths the installer opens them with.
  std::set<std::string> needed = {".\\driver\\usb\\SiUSBXp.dll", ".\\driver\\usb\\KvxVT5USB.inf",
                                  ".\\driver\\usb\\lindor_usbser.inf", ".\\driver\\usb\\x86\\usbser.sys",
                                  ".\\driver\\parallel\\Tolv.inf"};
  for (const std::string& file : BuiltFiles()) needed.insert(".\\" + file);
  const std::vector<std::string> models = ReadSupportedPrinters(os.profile, false);
  ASSERT_FALSE(models.empty());
  for (const std::string& model : models) {
    // The reduced-scale driver's printer name carries "Scaled", which picks the scaled data file.
    for (const std::string& printer : {model, model + " (Scaled)"}) {
      Win2kXPInstaller installer(context);
      installer.SetSourceDirectory();
      installer.BuildFileList(printer);
      const InstallerRecord& record = installer.record;
      std::vector<std::string> names = record.fileList;
      for (const std::string& name : {record.monitorDll, record.monitorUiDll, record.renderDll, record.renderUiDll,
                                      record.monAdditional, std::string("SiUSBXp.dll"), std::string("Tolvpar.sys")})
        if (!name.empty()) names.push_back(name);
      for (const std::string& name : names) needed.insert(record.sourceDir + "\\" + name);
    }
  }
  std::vector<std::string> missing;
  for (const std::string& name : needed)
    if (!IsFile(name)) missing.push_back(name);
  EXPECT_THAT(missing, testing::IsEmpty());
}

TEST_F(DistributionFolderTest, ShippedParallelPortDriverCarriesAVersion) {
  platform::FileVersion version;
  ASSERT_EQ(DistributionMachine().files.GetFileVersionA(".\\WIN2KXP\\tolvpar.sys", version), platform::winerr::Success);
  EXPECT_NE(version.fileVersionMS, 0u);
}

TEST_F(DistributionFolderTest, ListsEveryFileItDoesNotBuildAsAStandIn) {
  std::set<std::string> own = {"KvxIns.ini", "README.txt", "errors.log"};  // the log of a run from here
  for (const std::string& file : BuiltFiles()) own.insert(file.substr(file.rfind('\\') + 1));
  std::vector<std::string> unlisted;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(fs::current_path())) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file() || own.count(name) != 0) continue;
    std::ifstream in(entry.path().parent_path() / "README.txt", std::ios::binary);
    const std::string readme{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (readme.find("  " + name + ": ") == std::string::npos) unlisted.push_back(entry.path().string());
  }
  EXPECT_THAT(unlisted, testing::IsEmpty());
}

}  // namespace

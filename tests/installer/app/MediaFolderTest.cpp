#include <gtest/gtest.h>

#include <fstream>

#include "app/MediaFolder.h"

namespace {
namespace fs = std::filesystem;

struct MediaCase {
  const char* what;
  std::optional<std::string> option;
  const char* program;         // below the test's root
  const char* installedMedia;  // relative to the program's folder
  const char* expected;        // below the test's root
};

class MediaFolderChoice : public ::testing::TestWithParam<MediaCase> {};

TEST_P(MediaFolderChoice, TakesTheOptionThenTheInstalledMediaThenTheCurrentDirectory) {
  const MediaCase& c = GetParam();
  const fs::path root = fs::path(::testing::TempDir()) / "media-folder";
  fs::create_directories(root / "usr/share/kvxinstaller");
  std::ofstream(root / "usr/share/kvxinstaller/KvxIns.ini") << "[Supported.Printers]\n";
  fs::create_directories(root / "build/share/kvxinstaller");  // a folder without a catalog
  const fs::path current = root / "work";
  EXPECT_EQ(MediaFolder(c.option, root / c.program, c.installedMedia, current), (root / c.expected).lexically_normal())
      << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MediaFolderChoice,
    ::testing::Values(MediaCase{"installed", std::nullopt, "usr/bin/kvxinstaller", "../share/kvxinstaller", "usr/share/kvxinstaller"},
                      MediaCase{"build tree: no catalog there", std::nullopt, "build/bin/kvxinstaller", "../share/kvxinstaller", "work"},
                      MediaCase{"no installed media", std::nullopt, "usr/bin/kvxinstaller", "", "work"},
                      MediaCase{"relative option", "../dist/", "usr/bin/kvxinstaller", "../share/kvxinstaller", "dist/"},
                      MediaCase{"option .", ".", "usr/bin/kvxinstaller", "../share/kvxinstaller", "work/"}));

TEST(MediaFolderChoice, AnAbsoluteOptionIsTakenAsGiven) {
  EXPECT_EQ(MediaFolder("/srv/media", "/usr/bin/kvxinstaller", "../share/kvxinstaller", "/home/me"), fs::path("/srv/media"));
}

}  // namespace

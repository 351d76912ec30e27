// Catalogs of a distribution folder a user may run the program from: each is listed and chosen, or
// refused as unreadable, and none hangs the program, exhausts its memory or drives the terminal.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/ExitCodes.h"
#include "installer/InstallerTestSupport.h"
#include "platform/sim/SimProfile.h"

namespace {

namespace fs = std::filesystem;

struct CatalogCase {
  const char* name;
  std::function<void(const fs::path& file)> make;
  std::vector<std::string> listed;  // --list-models; none: exit code 2
  std::string choice;               // the unattended run's choice of the first model; "" when it has none
};

std::function<void(const fs::path&)> Bytes(const std::string& bytes) {
  return [bytes](const fs::path& file) { simtest::WriteFile(file, bytes); };
}

// A catalog listing VT5000, padded to `size` bytes.
std::string CatalogOfSize(std::size_t size) {
  std::string bytes = "[Supported.Printers]\r\nVT5000\r\n[Pad]\r\n;";
  bytes.resize(size, ';');
  return bytes;
}

class HostileCatalogTest : public ::testing::Test, protected installertest::ProgramRun {
protected:
  installertest::CatalogFolder folder{std::nullopt};
};

TEST_F(HostileCatalogTest, IsListedAndChosenOrReadAsNone) {
  const std::string models = "[Supported.Printers]\r\n";
  const CatalogCase cases[] = {
      {"Missing", [](const fs::path&) {}, {}, ""},
      {"Fifo", [](const fs::path& f) { ASSERT_EQ(mkfifo(f.c_str(), 0600), 0); }, {}, ""},
      {"DevZero", [](const fs::path& f) { fs::create_symlink("/dev/zero", f); }, {}, ""},
      {"Folder", [](const fs::path& f) { fs::create_directory(f); }, {}, ""},
      {"AtTheSizeBound", Bytes(CatalogOfSize(platform::sim::kMaxProfileFileSize)), {"VT5000"}, "VT5000"},
      {"PastTheSizeBound", Bytes(CatalogOfSize(platform::sim::kMaxProfileFileSize + 1)), {}, ""},
      {"Windows1252", Bytes(models + "RQ-\xE9 \x80\r\n"), {"RQ-\xC3\xA9 \xE2\x82\xAC"}, "RQ-\xC3\xA9 \xE2\x82\xAC"},
      {"ControlCharacters", Bytes(models + "VT\x1B]0;x\x07\x9D\x7F\r\n"), {"VT\\x1b]0;x\\x07\\x9d\\x7f"},
       "VT\\x1b]0;x\\x07\\x9d\\x7f"},
      {"DollarInTheName", Bytes(models + "RQ$1\r\n"), {"RQ$1"}, "RQ$1"},
  };
  for (const CatalogCase& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = fs::current_path() / "KvxIns.ini";
    fs::remove_all(file);
    c.make(file);
    // An empty list is an error that says where the catalog was looked for.
    EXPECT_EQ(Execute({"--list-models"}), c.listed.empty() ? kExitSetupError : kExitInstalled);
    EXPECT_EQ(OutLines(), c.listed);
    if (c.listed.empty()) {
      EXPECT_NE(err.str().find("KvxIns.ini"), std::string::npos) << err.str();
    }
    const int code = Execute({"--unattended"});
    if (c.choice.empty()) {
      EXPECT_EQ(code, kExitSetupError);
      EXPECT_NE(err.str().find("the model list is empty"), std::string::npos) << err.str();
    } else {
      const auto lines = OutLines();
      EXPECT_NE(std::find(lines.begin(), lines.end(), "choice model \"" + c.choice + "\""), lines.end()) << out.str();
    }
  }
}

}  // namespace

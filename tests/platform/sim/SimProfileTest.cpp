// The simulated profile functions on files Windows programs meet in the field: binary junk,
// odd line ends, huge lines and sections, tiny buffers, quoted values, names relative to the
// current folder. Nothing may read or write outside the caller's buffer (run under ASan).
#include <gtest/gtest.h>

#include <random>

#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::DWORD;

struct Answer {
  DWORD result;
  std::string bytes;  // the whole buffer
  bool operator==(const Answer&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Answer& a) {
  os << a.result << " \"";
  for (char c : a.bytes) os << (c == '\0' ? std::string("\\0") : c == '\x7F' ? std::string("~") : std::string(1, c));
  return os << '"';
}

class SimProfileTest : public testing::Test {
protected:
  std::string File(const std::string& name, const std::string& bytes) {
    simtest::WriteFile(machine_->driveC() / name, bytes);
    return "C:\\" + name;
  }
  Answer String(const std::string& file, const std::string& section, const std::string& key, std::size_t size,
                const std::string& fallback = "") {
    std::vector<char> buffer(size, '\x7F');
    const DWORD result = machine_->profile().GetPrivateProfileStringA(section, key, fallback, buffer, file);
    return {result, std::string(buffer.begin(), buffer.end())};
  }
  Answer Section(const std::string& file, const std::string& section, std::size_t size) {
    std::vector<char> buffer(size, '\x7F');
    const DWORD result = machine_->profile().GetPrivateProfileSectionA(section, buffer, file);
    return {result, std::string(buffer.begin(), buffer.end())};
  }

  std::unique_ptr<platform::sim::SimMachine> machine_ = platform::sim::SimMachine::InMemory();
};

std::string Padded(std::string bytes, std::size_t size) {
  bytes.resize(size, '\x7F');
  return bytes;
}

TEST_F(SimProfileTest, BinaryBytesAroundTheEntriesDoNotDisturbThem) {
  const std::string file = File("bin.ini", simtest::Bytes("\xFF\x00\x80junk\xC3(\x01\n[S]\nk=v\0tail\nz=\xFF\xFE\n"));
  EXPECT_EQ(String(file, "S", "k", 10), (Answer{1, Padded(simtest::Bytes("v\0"), 10)}));
  EXPECT_EQ(Section(file, "S", 20), (Answer{9, Padded(simtest::Bytes("k=v\0z=\xFF\xFE\0\0"), 20)}));
}

TEST_F(SimProfileTest, RandomBytesNeverBreakTheCalls) {
  const std::string alphabet = simtest::Bytes("[]=;\r\n \tSk\0\xFF\xFE\xEF\xBB\xBF\"");
  std::mt19937 random(7);
  for (int round = 0; round < 200; ++round) {
    std::string bytes(random() % 600, '\0');
    for (char& c : bytes) c = alphabet[random() % alphabet.size()];
    const std::string file = File("random.ini", bytes);
    for (std::size_t size : {0, 1, 2, 3, 7, 64}) {
      const Answer s = String(file, "S", "k", size);
      if (size > 0) {
        EXPECT_LT(s.result, size);
      }
      const Answer t = Section(file, "S", size);
      EXPECT_LE(t.result, size < 2 ? 0 : size - 2);
    }
  }
}

TEST_F(SimProfileTest, LineEndsMayBeLfCrLfOrCrAloneAndTheLastMayBeMissing) {
  for (const char* text : {"[S]\nk=v\nj=w", "[S]\r\nk=v\r\nj=w\r\n", "[S]\rk=v\rj=w\r", "[S]\n\r\n\rk=v\n\n\nj=w"}) {
    SCOPED_TRACE(testing::PrintToString(std::string(text)));
    const std::string file = File("ends.ini", text);
    EXPECT_EQ(String(file, "s", "J", 4), (Answer{1, Padded(simtest::Bytes("w\0"), 4)}));
    EXPECT_EQ(Section(file, "S", 12), (Answer{8, Padded(simtest::Bytes("k=v\0j=w\0\0"), 12)}));
  }
}

TEST_F(SimProfileTest, HundredKilobyteLineIsCutToTheBuffer) {
  const std::string file = File("long.ini", "[S]\nk=" + std::string(100000, 'x') + "\nafter=1\n");
  const Answer cut = String(file, "S", "k", 1024);
  EXPECT_EQ(cut.result, 1023u);
  EXPECT_EQ(cut.bytes, std::string(1023, 'x') + '\0');
  EXPECT_EQ(String(file, "S", "after", 4).result, 1u);
}

TEST_F(SimProfileTest, SectionLongerThanTheBufferEndsInTwoNuls) {
  std::string text = "[Supported.Printers]\n";
  std::string listing;
  for (int i = 0; listing.size() < 2000; ++i) {
    const std::string entry = "Model-" + std::to_string(i) + "=Printer model number " + std::to_string(i);
    text += entry + "\n";
    listing += entry + '\0';
  }
  const Answer a = Section(File("big.ini", text), "Supported.Printers", 1024);
  EXPECT_EQ(a.result, 1022u);
  EXPECT_EQ(a.bytes, listing.substr(0, 1022) + std::string(2, '\0'));
}

TEST_F(SimProfileTest, TinyBuffers) {
  const std::string file = File("tiny.ini", "[S]\nkey=Value\n");
  EXPECT_EQ(String(file, "S", "key", 0).result, 0u);
  EXPECT_EQ(String(file, "S", "key", 1), (Answer{0, std::string(1, '\0')}));
  EXPECT_EQ(String(file, "S", "key", 2), (Answer{1, simtest::Bytes("V\0")}));
  EXPECT_EQ(String(file, "S", "missing", 2, "dflt"), (Answer{1, simtest::Bytes("d\0")}));
  EXPECT_EQ(Section(file, "S", 0).result, 0u);
  EXPECT_EQ(Section(file, "S", 1), (Answer{0, std::string(1, '\0')}));
  EXPECT_EQ(Section(file, "S", 2), (Answer{0, std::string(2, '\0')}));
  EXPECT_EQ(Section(file, "S", 3), (Answer{1, simtest::Bytes("k\0\0")}));
  // The listing fits only with its final NUL in the last byte: still reported as cut, as Wine does.
  EXPECT_EQ(Section(file, "S", 11), (Answer{9, simtest::Bytes("key=Value\0\0")}));
  EXPECT_EQ(Section(file, "S", 12), (Answer{10, Padded(simtest::Bytes("key=Value\0\0"), 12)}));
}

TEST_F(SimProfileTest, MatchingQuotesAroundAValueAreRemoved) {
  const std::string file = File("q.ini", "[S]\nd=\"double\"\ns='single'\nm=\"mixed'\none=\"\nempty=\"\"\nin=a\"b\"\n");
  EXPECT_EQ(String(file, "S", "d", 20).result, 6u);
  EXPECT_EQ(String(file, "S", "d", 20).bytes.substr(0, 7), simtest::Bytes("double\0"));
  EXPECT_EQ(String(file, "S", "s", 20).bytes.substr(0, 7), simtest::Bytes("single\0"));
  EXPECT_EQ(String(file, "S", "m", 20).bytes.substr(0, 8), simtest::Bytes("\"mixed'\0"));
  EXPECT_EQ(String(file, "S", "one", 20).bytes.substr(0, 2), simtest::Bytes("\"\0"));
  EXPECT_EQ(String(file, "S", "empty", 20).result, 0u);
  EXPECT_EQ(String(file, "S", "empty", 1).result, 0u);
  EXPECT_EQ(String(file, "S", "in", 20).bytes.substr(0, 5), simtest::Bytes("a\"b\"\0"));
  EXPECT_EQ(String(file, "S", "none", 20, "'dflt'").bytes.substr(0, 5), simtest::Bytes("dflt\0"));
  // Cut values: the text without its opening quote exactly filling the buffer loses one more character.
  EXPECT_EQ(String(file, "S", "d", 8), (Answer{6, Padded(simtest::Bytes("double\0\0"), 8)}));
  EXPECT_EQ(String(file, "S", "d", 7), (Answer{5, simtest::Bytes("doubl\0\0")}));
  EXPECT_EQ(String(file, "S", "d", 4), (Answer{3, simtest::Bytes("dou\0")}));
  // The section call lists values as written.
  EXPECT_EQ(Section(file, "S", 100).bytes.substr(0, 11), simtest::Bytes("d=\"double\"\0"));
}

TEST_F(SimProfileTest, DefaultLosesTrailingSpacesOnly) {
  const std::string file = File("d.ini", "[S]\n");
  EXPECT_EQ(String(file, "S", "k", 20, "dflt   ").bytes.substr(0, 5), simtest::Bytes("dflt\0"));
  EXPECT_EQ(String(file, "S", "k", 20, "  x  ").bytes.substr(0, 4), simtest::Bytes("  x\0"));
  EXPECT_EQ(String(file, "S", "k", 20, "x\t").bytes.substr(0, 3), simtest::Bytes("x\t\0"));
}

TEST_F(SimProfileTest, SectionsAndNames) {
  const std::string file = File("n.ini",
                                "top=1\n[  Spaced  ]\na=1\n[S]\n; note\n  ;indented note\n[broken\nx = y\n"
                                "[s]\nlater=2\n[T]x\nt=3\n");
  EXPECT_EQ(String(file, " spaced ", " A ", 4).bytes.substr(0, 2), simtest::Bytes("1\0"));
  EXPECT_EQ(String(file, "", "top", 4).bytes.substr(0, 2), simtest::Bytes("1\0"));
  EXPECT_EQ(String(file, "S", "top", 4, "-").bytes.substr(0, 2), simtest::Bytes("-\0"));
  // Only the first of two sections of the same name counts.
  EXPECT_EQ(String(file, "S", "later", 4, "-").bytes.substr(0, 2), simtest::Bytes("-\0"));
  EXPECT_EQ(Section(file, "s", 30).bytes.substr(0, 15), simtest::Bytes("[broken\0x=y\0\0") + "\x7F\x7F");
  // Text after "]" on a header line is ignored.
  EXPECT_EQ(String(file, "T", "t", 4).bytes.substr(0, 2), simtest::Bytes("3\0"));
}

TEST_F(SimProfileTest, ByteOrderMarksAreHonoured) {
  const std::string utf8 = File("u8.ini", "\xEF\xBB\xBF[S]\nk=caf\xC3\xA9 \xE2\x82\xAC \xE4\xB8\xAD\n");
  EXPECT_EQ(String(utf8, "S", "k", 20).bytes.substr(0, 9), simtest::Bytes("caf\xE9 \x80 ?\0"));
  const std::string utf16 = File("u16.ini", simtest::Bytes("\xFF\xFE[\0S\0]\0\n\0k\0=\0\xE9\0"));
  EXPECT_EQ(String(utf16, "S", "k", 20).bytes.substr(0, 2), simtest::Bytes("\xE9\0"));
}

TEST_F(SimProfileTest, FileNames) {
  simtest::TempDir cwd;
  simtest::WriteFile(cwd.path() / "KvxIns.ini", "[S]\nk=cwd\n");
  simtest::WriteFile(cwd.path() / "sub" / "x.ini", "[S]\nk=sub\n");
  File("Program Files/Korvex/drive.ini", "[S]\nk=drive\n");
  File("Windows/KvxIns.ini", "[S]\nk=windir\n");
  simtest::ScopedCurrentDir inside(cwd.path());
  auto read = [&](const std::string& name) { return String(name, "S", "k", 10, "'none'").bytes.substr(0, 6); };
  // A bare name is a file of the Windows directory; a path is taken from the current one.
  EXPECT_EQ(read("KvxIns.ini"), std::string("windir"));
  EXPECT_EQ(read(".\\KvxIns.ini"), simtest::Bytes("cwd\0") + "\x7F\x7F");
  EXPECT_EQ(read("sub\\x.ini"), simtest::Bytes("sub\0") + "\x7F\x7F");
  EXPECT_EQ(read("D:\\sub\\x.ini"), simtest::Bytes("sub\0") + "\x7F\x7F");  // the current directory's drive
  EXPECT_EQ(read("C:\\Program Files\\Korvex\\drive.ini"), simtest::Bytes("drive\0"));
  EXPECT_EQ(read("c:\\Program Files\\Korvex\\drive.ini"), simtest::Bytes("drive\0"));
  EXPECT_EQ(read("C:\\Program Files\\Korvex\\absent.ini"), simtest::Bytes("none\0\0"));
  // A file that cannot even be looked for answers with the default as given.
  EXPECT_EQ(read("C:\\No Such Folder\\x.ini"), std::string("'none'"));
  EXPECT_EQ(read("E:\\x.ini"), std::string("'none'"));
  EXPECT_EQ(read("C:\\Program Files"), std::string("'none'"));
}

TEST_F(SimProfileTest, InjectedFaultReadsAsAMissingFile) {
  const std::string file = File("f.ini", "[S]\nk=v\n");
  machine_->faults().FailOnce("GetPrivateProfileSectionA", 5);
  EXPECT_EQ(Section(file, "S", 8), (Answer{0, Padded(std::string(2, '\0'), 8)}));
  EXPECT_EQ(Section(file, "S", 8).result, 4u);
  machine_->faults().FailOnce("GetPrivateProfileStringA", 32);
  EXPECT_EQ(String(file, "S", "k", 8, "d").result, 1u);
  EXPECT_EQ(String(file, "S", "k", 8, "dflt").bytes.substr(0, 2), simtest::Bytes("v\0"));
}

}  // namespace

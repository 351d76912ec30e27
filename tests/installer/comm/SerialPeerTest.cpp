// The detection through a COM port mapped to a real device: the printer peer on a pty, reached
// through termios. Every wait is bounded: the peer's path within 5 s, its end within 5 s.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include <nlohmann/json.hpp>

#include "comm/PrinterDetection.h"
#include "installer/InstallerTestSupport.h"
#include "platform/posix/PosixSerial.h"
#include "platform/sim/SimMachine.h"

extern char** environ;

namespace {

using Json = nlohmann::ordered_json;
using Clock = std::chrono::steady_clock;

// The peer with its stdin on a pipe: closing the pipe ends it.
class Peer {
public:
  explicit Peer(const std::vector<std::string>& options) {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) return;
    if (::pipe2(out, O_CLOEXEC) != 0) {
      ::close(in[0]);
      ::close(in[1]);
      return;
    }
    std::vector<std::string> args = {KVX_SERIAL_PEER, "--max-seconds", "30"};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    stdin_ = in[1];
    ReadPath(out[0]);
    ::close(out[0]);
  }
  ~Peer() {
    ::close(stdin_);
    if (pid_ <= 0) return;
    const auto end = Clock::now() + std::chrono::seconds(5);
    while (::waitpid(pid_, nullptr, WNOHANG) == 0) {
      if (Clock::now() > end) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  const std::string& path() const { return path_; }

private:
  void ReadPath(int fd) {
    const auto end = Clock::now() + std::chrono::seconds(5);
    std::string line;
    while (pid_ > 0 && line.find('\n') == std::string::npos) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
      pollfd p{fd, POLLIN, 0};
      if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) return;
      char buffer[256];
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n <= 0) return;
      line.append(buffer, static_cast<std::size_t>(n));
    }
    if (pid_ > 0) path_ = line.substr(0, line.find('\n'));
  }

  pid_t pid_ = -1;
  int stdin_ = -1;
  std::string path_;
};

struct PeerCase {
  const char* name;
  std::vector<std::string> options;
  bool heldByAnotherProgram;
  bool found;
  int baud;
  std::size_t opens;  // the silent COM1 three times, then COM2 until it answers
};

void PrintTo(const PeerCase& c, std::ostream* os) { *os << c.name; }

class SerialPeerTest : public testing::TestWithParam<PeerCase> {
protected:
  void SetUp() override {
    if (!std::filesystem::exists(KVX_SERIAL_PEER)) GTEST_SKIP() << "no printer peer at " << KVX_SERIAL_PEER;
    const int pty = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (pty < 0) GTEST_SKIP() << "no pty can be had here: " << std::strerror(errno);
    ::close(pty);
  }
};

TEST_P(SerialPeerTest, DetectionReachesThePeerThroughTermios) {
  const PeerCase& c = GetParam();
  Peer peer(c.options);
  ASSERT_FALSE(peer.path().empty()) << "the peer printed no device path";
  auto machine = platform::sim::SimMachine::InMemory();
  const Json ports = Json::array(
      {installertest::PortDevice("COM1", "ACPI\\PNP0501"), installertest::PortDevice("COM2", "ACPI\\PNP0501")});
  machine->document()["devices"] = ports;
  machine->config().serial["COM2"].device = peer.path();
  std::unique_ptr<platform::SerialPort> holder;
  if (c.heldByAnotherProgram) {
    ASSERT_EQ(platform::posix::OpenSerialDevice(peer.path(), holder), 0u);
  }

  platform::Platform os = machine->platform();
  SerialDetection detection(os, [] {});
  std::string port;
  int baud = 0;
  const auto outcome = detection.Run(port, baud);
  EXPECT_EQ(outcome, c.found ? SerialDetection::Outcome::Found : SerialDetection::Outcome::NotFound);
  if (c.found) {
    EXPECT_EQ(port, "COM2:");
    EXPECT_EQ(baud, c.baud);
  }
  EXPECT_EQ(machine->faults().CallCount("CreateFileA"), c.opens);
}

INSTANTIATE_TEST_SUITE_P(
    Peers, SerialPeerTest,
    testing::Values(PeerCase{"NinetySixHundredOnTheThirdRate", {"--baud", "9600"}, false, true, 9600, 6},
                    PeerCase{"EchoAndAnswer", {"--baud", "38400", "--echo"}, false, true, 38400, 5},
                    PeerCase{"Silent", {"--silent"}, false, false, 0, 6},
                    PeerCase{"AnswerAfterTheReadGaveUp", {"--baud", "9600", "--delay-ms", "300"}, false, false, 0, 6},
                    // Left after its first open, which fails with 5.
                    PeerCase{"HeldByAnotherProgram", {"--baud", "115200"}, true, false, 0, 4}),
    [](const testing::TestParamInfo<PeerCase>& test) { return std::string(test.param.name); });

}  // namespace

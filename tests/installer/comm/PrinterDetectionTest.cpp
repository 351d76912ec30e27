// Serial port access and the printer detection on the simulated machine's COM ports.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "comm/PrinterDetection.h"
#include "comm/SerialInterface.h"
#include "installer/InstallerTestSupport.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SerialAttachments.h"

namespace {

using platform::DWORD;
using platform::sim::SerialAttachment;
using Json = nlohmann::ordered_json;
using Outcome = SerialDetection::Outcome;

Json Port(const std::string& name, const std::string& hardwareId = "ACPI\\PNP0501") {
  return installertest::PortDevice(name, hardwareId);
}
const std::string kUsbAdapter = "USB\\VID_5C3D&PID_0003";

using simtest::Busy;
using simtest::Echo;
using simtest::Printer;

class DetectionTest : public testing::Test {
protected:
  void Attach(const std::string& port, SerialAttachment attached) { machine->config().serial[port] = attached; }
  std::size_t Calls(const char* op) const { return machine->faults().CallCount(op); }
  std::uint64_t Now() const { return machine->clock().Elapsed(); }

  std::unique_ptr<platform::sim::SimMachine> machine = platform::sim::SimMachine::InMemory();
  platform::Platform os = machine->platform();
  int pumps = 0;
  SerialDetection detection{os, [this] { ++pumps; }};
};

struct DetectCase {
  const char* name;
  Json devices;
  std::vector<std::pair<std::string, SerialAttachment>> attached;
  Outcome outcome;
  std::string port;
  int baud;
  std::size_t opens;
  int pumps;  // one after each attempt on an opened port
};

void PrintTo(const DetectCase& c, std::ostream* os) { *os << c.name; }

class DetectionCaseTest : public DetectionTest, public testing::WithParamInterface<DetectCase> {};

TEST_P(DetectionCaseTest, FindsWhatAnswersOnTheBuiltInPorts) {
  const DetectCase& c = GetParam();
  machine->document()["devices"] = c.devices;
  for (const auto& [port, attached] : c.attached) Attach(port, attached);
  std::string port = "unchanged";
  int baud = -1;
  EXPECT_EQ(detection.Run(port, baud), c.outcome);
  if (c.outcome == Outcome::Found) {
    EXPECT_EQ(port, c.port);
    EXPECT_EQ(baud, c.baud);
  } else {
    EXPECT_EQ(port, "unchanged");
  }
  EXPECT_EQ(Calls("CreateFileA"), c.opens);
  EXPECT_EQ(pumps, c.pumps);
  EXPECT_EQ(machine->handles().OpenCount(), 0u) << machine->handles().Describe().front();
  EXPECT_FALSE(detection.running());
}

INSTANTIATE_TEST_SUITE_P(
    Machines, DetectionCaseTest,
    testing::Values(
        DetectCase{"FirstPortWins", Json::array({Port("COM1"), Port("COM2")}),
                   {{"COM1", Printer(115200)}, {"COM2", Printer(115200)}},
                   Outcome::Found, "COM1:", 115200, 1, 1},
        DetectCase{"BusyPortSkippedAfterOneOpen", Json::array({Port("COM1"), Port("COM2")}),
                   {{"COM1", Busy()}, {"COM2", Printer(38400)}},
                   Outcome::Found, "COM2:", 38400, 3, 2},
        DetectCase{"NinetySixHundredOnTheThirdAttempt", Json::array({Port("COM1")}),
                   {{"COM1", Printer(9600)}}, Outcome::Found, "COM1:", 9600, 3, 3},
        // Any five bytes count: here the probe's echo and two bytes of the answer.
        DetectCase{"EchoAndTwoMoreTakenForAPrinter", Json::array({Port("COM1")}),
                   {{"COM1", Printer(38400, true)}}, Outcome::Found, "COM1:", 38400, 2, 2},
        // The echo alone is three bytes: a short answer at every rate.
        DetectCase{"EchoAloneIsTooShort", Json::array({Port("COM1")}), {{"COM1", Echo()}},
                   Outcome::NotFound, "", 0, 3, 3},
        DetectCase{"UsbAdapterNeverProbed", Json::array({Port("COM1"), Port("COM5", kUsbAdapter)}),
                   {{"COM5", Printer(115200)}}, Outcome::NotFound, "", 0, 3, 3},
        DetectCase{"NoBuiltInPort", Json::array({Port("COM5", kUsbAdapter)}), {{"COM5", Printer(115200)}},
                   Outcome::NoPorts, "", 0, 0, 0}),
    [](const testing::TestParamInfo<DetectCase>& test) { return std::string(test.param.name); });

TEST_F(DetectionTest, ThreeSilentPortsCostNineAttemptsOfTheirTimeOuts) {
  machine->document()["devices"] = Json::array({Port("COM1"), Port("COM2"), Port("COM3")});
  std::string port;
  int baud = 0;
  const std::uint64_t start = Now();
  EXPECT_EQ(detection.Run(port, baud), Outcome::NotFound);
  // Each attempt: 10 ms after purging on open, then a 5-byte read that gives up after 100 + 5 * 5 ms.
  EXPECT_EQ(Now() - start, 9u * (10 + 125));
}

TEST_F(DetectionTest, DetectPressedDuringADetectionStartsNothing) {
  machine->document()["devices"] = Json::array({Port("COM1"), Port("COM2")});
  Attach("COM2", Printer(9600));
  std::vector<Outcome> nested;
  SerialDetection reentered{os, [&] {
                              std::string p;
                              int b = 0;
                              nested.push_back(reentered.Run(p, b));
                              EXPECT_TRUE(reentered.running());
                            }};
  std::string port;
  int baud = 0;
  EXPECT_EQ(reentered.Run(port, baud), Outcome::Found);
  EXPECT_EQ(port, "COM2:");
  EXPECT_EQ(baud, 9600);
  EXPECT_EQ(nested, std::vector<Outcome>(6, Outcome::Busy));
  EXPECT_EQ(Calls("CreateFileA"), 6u);
  EXPECT_FALSE(reentered.running());
}

// --- SerialInterface -------------------------------------------------------------------

struct FlowCase {
  int mode;
  bool cts, dsr, dsrSensitivity, txContinueOnXoff, xonXoff;
  std::uint8_t rts;
};

TEST_F(DetectionTest, OpenAppliesTheFlowControlTable) {
  namespace rts = platform::rtscontrol;
  const FlowCase cases[] = {
      {kFlowNone, false, false, false, false, true, rts::Enable},
      {kFlowRtsCts, true, false, false, true, false, rts::Handshake},
      {kFlowDtrDsr, false, true, true, true, false, rts::Enable},
      {3, false, false, false, false, true, rts::Enable},
      {4, false, false, false, false, true, rts::Enable},
      {5, true, false, false, true, false, rts::Handshake},  // out of range: RTS/CTS
      {-1, false, false, false, false, true, rts::Enable},
  };
  for (const FlowCase& c : cases) {
    SerialInterface serial(os.serial, os.clock);
    serial.baudRate = 38400;
    serial.parity = platform::parity::Even;
    serial.SetFlowControl(c.mode);
    ASSERT_TRUE(serial.Open("COM1:")) << c.mode;
    EXPECT_EQ(serial.portName(), "COM1:");
    serial.Close();
    const platform::CommState s = machine->serial().PortState("COM1");
    EXPECT_EQ(s.baudRate, 38400u);
    EXPECT_EQ(s.parity, platform::parity::Even);
    EXPECT_TRUE(s.binary && s.parityCheck && !s.null) << c.mode;
    EXPECT_EQ(s.dtrControl, platform::dtrcontrol::Enable) << c.mode;
    EXPECT_EQ(s.outxCtsFlow, c.cts) << c.mode;
    EXPECT_EQ(s.outxDsrFlow, c.dsr) << c.mode;
    EXPECT_EQ(s.dsrSensitivity, c.dsrSensitivity) << c.mode;
    EXPECT_EQ(s.txContinueOnXoff, c.txContinueOnXoff) << c.mode;
    EXPECT_EQ(s.outX && s.inX, c.xonXoff) << c.mode;
    EXPECT_EQ(s.rtsControl, c.rts) << c.mode;
    if (c.xonXoff) {
      EXPECT_EQ(s.xonChar, 0x11);
      EXPECT_EQ(s.xoffChar, 0x13);
      EXPECT_EQ(s.xonLim, 256);
      EXPECT_EQ(s.xoffLim, 256);
    }
  }
}

TEST_F(DetectionTest, OpenFailsOnlyWhenTheSettingsDoNotTake) {
  const std::pair<const char*, bool> cases[] = {
      {"SetupComm", true},     {"PurgeComm", true},        {"GetCommState", false},
      {"SetCommState", false}, {"SetCommTimeouts", false}, {"CreateFileA", false},
  };
  for (const auto& [op, opens] : cases) {
    machine->faults().FailOnce(op, platform::winerr::InvalidParameter);
    SerialInterface serial(os.serial, os.clock);
    EXPECT_EQ(serial.Open("COM1"), opens) << op;
    EXPECT_EQ(serial.isOpen(), opens) << op;
    EXPECT_EQ(serial.portName(), opens ? "COM1" : "") << op;
    serial.Close();
    EXPECT_EQ(machine->handles().OpenCount(), 0u) << op;
  }
}

TEST_F(DetectionTest, WriteGoesOutInPiecesAndStopsAtAFailingOne) {
  Attach("COM1", Echo());
  SerialInterface serial(os.serial, os.clock);
  ASSERT_TRUE(serial.Open("COM1"));
  const std::vector<std::uint8_t> data(20000, 0x55);
  DWORD written = 0;
  EXPECT_TRUE(serial.Write(data.data(), 20000, written));
  EXPECT_EQ(written, 20000u);
  EXPECT_EQ(Calls("WriteFile"), 3u);  // 8192 + 8192 + 3616

  machine->faults().FailNth("WriteFile", 2, platform::winerr::InvalidHandle);
  EXPECT_FALSE(serial.Write(data.data(), 20000, written));
  EXPECT_EQ(written, 8192u);
  EXPECT_FALSE(serial.Write(data.data(), 0, written));
  EXPECT_FALSE(serial.Write(nullptr, 3, written));
  serial.Close();
}

}  // namespace

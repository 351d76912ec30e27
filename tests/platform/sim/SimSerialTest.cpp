// The machine's COM ports: which names open what, what answers on the line and how long it takes.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/sim/SimMachine.h"
#include "platform/sim/SerialAttachments.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::CommState;
using platform::CommTimeouts;
using platform::DWORD;
using platform::sim::SerialAttachment;
using platform::sim::SimMachine;
using Json = nlohmann::ordered_json;
namespace winerr = platform::winerr;

constexpr DWORD kReadWrite = platform::access::GenericRead | platform::access::GenericWrite;
// The detection's time-outs.
constexpr CommTimeouts kTimeouts{100, 5, 100, 5, 500};

using simtest::Busy;
using simtest::Echo;
using simtest::Printer;

Json Port(const std::string& name, const std::string& hardwareId = "ACPI\\PNP0501", bool present = true) {
  return Json{{"class", "Ports"}, {"hardwareIds", {hardwareId}}, {"portName", name}, {"present", present}};
}

class SimSerialTest : public testing::Test {
protected:
  SimSerialTest() {
    machine->document()["devices"] = Json::array({Port("COM1"), Port("COM2"), Port("COM3", "ACPI\\PNP0501", false),
                                                  Port("COM12"), Port("LPT1", "ACPI\\PNP0400")});
  }
  DWORD Open(const std::string& name, std::unique_ptr<platform::SerialPort>& port) {
    return os.serial.CreateFileA(name, kReadWrite, port);
  }
  std::uint64_t Now() const { return machine->clock().Elapsed(); }

  std::unique_ptr<SimMachine> machine = SimMachine::InMemory();
  platform::Platform os = machine->platform();
};

struct OpenCase {
  const char* name;
  DWORD error;
};

TEST_F(SimSerialTest, NamesOpenThePortsTheDeviceTreeHas) {
  machine->config().serial["COM2"] = Busy();
  const OpenCase cases[] = {
      {"COM1", winerr::Success},         {"com1:", winerr::Success},       {"\\\\.\\COM1", winerr::Success},
      {"\\\\.\\COM1:", winerr::FileNotFound}, {"COM2", winerr::AccessDenied}, {"COM3", winerr::FileNotFound},
      {"COM4", winerr::FileNotFound},    {"COM12", winerr::FileNotFound},  {"\\\\.\\COM12", winerr::Success},
      {"LPT1", winerr::FileNotFound},
  };
  for (const OpenCase& c : cases) {
    std::unique_ptr<platform::SerialPort> port;
    EXPECT_EQ(Open(c.name, port), c.error) << c.name;
    EXPECT_EQ(port != nullptr, c.error == winerr::Success) << c.name;
  }
  EXPECT_EQ(machine->handles().OpenCount(), 0u);
}

TEST_F(SimSerialTest, PortIsExclusiveUntilClosedAndKeepsItsSettings) {
  std::unique_ptr<platform::SerialPort> first, second;
  ASSERT_EQ(Open("COM1", first), winerr::Success);
  EXPECT_EQ(Open("COM1:", second), winerr::AccessDenied);
  CommState state;
  ASSERT_EQ(first->GetCommState(state), winerr::Success);
  state.baudRate = 38400;
  state.stopBits = platform::stopbits::OnePointFive;  // only with 5 data bits
  EXPECT_EQ(first->SetCommState(state), winerr::InvalidParameter);
  state.stopBits = platform::stopbits::Two;
  ASSERT_EQ(first->SetCommState(state), winerr::Success);
  first.reset();
  ASSERT_EQ(Open("COM1", second), winerr::Success);
  CommState again;
  ASSERT_EQ(second->GetCommState(again), winerr::Success);
  EXPECT_EQ(again, state);
}

struct LineCase {
  const char* name;
  SerialAttachment attached;
  DWORD baud;
  std::uint8_t byteSize;
  DWORD bytes;  // what one 5-byte read after the probe brings
  std::uint64_t ms;
};

void PrintTo(const LineCase& c, std::ostream* os) { *os << c.name; }

class SimSerialLineTest : public SimSerialTest, public testing::WithParamInterface<LineCase> {};

// 8N1 takes 10 bits a character: 1041.7 us at 9600, 86.8 us at 115200.
TEST_P(SimSerialLineTest, ProbeIsAnsweredAsTheLineAndTimeOutsGive) {
  const LineCase& c = GetParam();
  machine->config().serial["COM1"] = c.attached;
  std::unique_ptr<platform::SerialPort> port;
  ASSERT_EQ(Open("COM1", port), winerr::Success);
  CommState state;
  ASSERT_EQ(port->GetCommState(state), winerr::Success);
  state.baudRate = c.baud;
  state.byteSize = c.byteSize;
  ASSERT_EQ(port->SetCommState(state), winerr::Success);
  ASSERT_EQ(port->SetCommTimeouts(kTimeouts), winerr::Success);

  const std::uint8_t probe[] = {0x1D, 0xF8, 0x31};
  DWORD written = 0, read = 0;
  const std::uint64_t start = Now();
  ASSERT_EQ(port->WriteFile(probe, written), winerr::Success);
  EXPECT_EQ(written, 3u);
  std::uint8_t answer[5] = {};
  ASSERT_EQ(port->ReadFile(answer, read), winerr::Success);
  EXPECT_EQ(read, c.bytes);
  EXPECT_EQ(Now() - start, c.ms);
  if (c.attached.echo) {
    EXPECT_TRUE(std::equal(probe, probe + 3, answer));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Attachments, SimSerialLineTest,
    testing::Values(LineCase{"Silent", SerialAttachment(), 9600, 8, 0, 125},
                    LineCase{"PrinterAtItsRate", Printer(9600), 9600, 8, 5, 9},  // 3 + 5 characters
                    LineCase{"PrinterAtAnotherRate", Printer(9600), 115200, 8, 0, 125},
                    LineCase{"PrinterWithSevenDataBits", Printer(9600), 9600, 7, 0, 125},
                    // The echo ends 100 ms after its last byte.
                    LineCase{"Echo", Echo(), 115200, 8, 3, 101},
                    LineCase{"EchoThenAnswer", Printer(9600, true), 9600, 8, 5, 6}),
    [](const testing::TestParamInfo<LineCase>& test) { return std::string(test.param.name); });

TEST_F(SimSerialTest, HeldOutputGivesUpAfterTheWriteTimeOut) {
  std::unique_ptr<platform::SerialPort> port;
  ASSERT_EQ(Open("COM1", port), winerr::Success);
  CommState state;
  ASSERT_EQ(port->GetCommState(state), winerr::Success);
  state.outxCtsFlow = true;
  ASSERT_EQ(port->SetCommState(state), winerr::Success);
  ASSERT_EQ(port->SetCommTimeouts(kTimeouts), winerr::Success);
  const std::uint8_t bytes[3] = {1, 2, 3};
  DWORD written = 7;
  const std::uint64_t start = Now();
  ASSERT_EQ(port->WriteFile(bytes, written), winerr::Success);
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(Now() - start, 515u);  // nothing on the line raises CTS
}

TEST(SimSerialFileTest, SerialMemberSurvivesASave) {
  simtest::TempDir temp;
  Json serial = {{"COM2", {{"busy", true}}},
                 {"COM1", {{"printer", {{"baud", 9600}}}, {"echo", true}}},
                 {"com3:", Json::object()},
                 {"COM4", {{"device", "/dev/pts/7"}}}};
  const Json doc = {{"format", "kvx-machine"}, {"version", 1}, {"serial", serial}};
  simtest::WriteFile(temp.path() / "machine.json", doc.dump());
  SimMachine::OpenFolder(temp.path())->Save();
  const Json saved = Json::parse(simtest::ReadFile(temp.path() / "machine.json"))["serial"];
  serial["COM3"] = serial["com3:"];
  serial.erase("com3:");
  // The same members, whatever their order.
  EXPECT_EQ(nlohmann::json::parse(saved.dump()), nlohmann::json::parse(serial.dump()));
}

}  // namespace

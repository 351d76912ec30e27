// The socket classes' own rules on the simulated network (the board protocol's tests cover the rest).
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "comm/InputSocket.h"
#include "platform/sim/SimMachine.h"

namespace {

using Json = nlohmann::ordered_json;

class SocketLayerTest : public testing::Test {
protected:
  void SetUp() override {
    machine->document()["networkAdapters"] = Json::array(
        {Json{{"name", "Ethernet"}, {"mac", "02-00-00-00-00-01"}, {"ip", "192.0.2.10"}, {"mask", "255.255.255.0"}},
         Json{{"name", "Ethernet 2"}, {"mac", "02-00-00-00-00-02"}, {"ip", "198.51.100.10"},
              {"mask", "255.255.255.0"}}});
    ASSERT_EQ(os.sockets.WSAStartup(0x0202), 0);
  }
  void TearDown() override {
    EXPECT_EQ(os.sockets.WSACleanup(), 0);
    EXPECT_EQ(machine->handles().OpenCount(), 0u);
  }
  void Boards(int count) {
    Json boards = Json::array();
    for (int i = 0; i < count; ++i)
      boards.push_back({{"kind", "lindor"}, {"mac", "02-00-4B-56-58-3" + std::to_string(i)},
                        {"ip", "192.0.2.5" + std::to_string(i)}, {"mask", "255.255.255.0"}, {"gateway", "192.0.2.1"},
                        {"port", 9100}, {"dhcp", false}, {"adapter", "Ethernet"}, {"delayMs", 20}});
    machine->document()["boards"] = boards;
  }
  static void Udp(InputSocket& socket) {
    socket.type = platform::socktype::Datagram;
    socket.protocol = platform::ipproto::Udp;
  }
  std::uint64_t Now() const { return machine->clock().Elapsed(); }

  std::unique_ptr<platform::sim::SimMachine> machine = platform::sim::SimMachine::InMemory();
  platform::Platform os = machine->platform();
};

TEST_F(SocketLayerTest, BindsOnlyToAnAddressOfTheHostList) {
  struct Case {
    std::uint32_t index;
    bool bound;
    const char* address;
  };
  for (const Case& c : {Case{0, true, "192.0.2.10"}, Case{1, true, "198.51.100.10"}, Case{2, false, ""},
                        Case{~0u, false, ""}}) {
    SCOPED_TRACE(c.index);
    const std::size_t sockets = machine->faults().CallCount("socket");
    InputSocket socket(os.sockets, os.clock);
    Udp(socket);
    EXPECT_EQ(socket.BindToHostAddress(5001, c.index), c.bound);
    EXPECT_EQ(machine->faults().CallCount("socket") - sockets, c.bound ? 1u : 0u);
    if (c.bound) {
      EXPECT_EQ(socket.LocalAddressText(), c.address);
    }
  }
}

TEST_F(SocketLayerTest, BindingAgainReplacesTheSocketAndClosesTheOldOne) {
  InputSocket socket(os.sockets, os.clock);
  Udp(socket);
  ASSERT_TRUE(socket.BindToHostAddress(5001, 0));
  ASSERT_TRUE(socket.BindToHostAddress(5001, 1));
  EXPECT_EQ(machine->handles().OpenCount("socket"), 1u);
  EXPECT_EQ(socket.LocalAddressText(), "198.51.100.10");
}

TEST_F(SocketLayerTest, BroadcastsOnlyToTheExactBroadcastTextAndRetriesAReset) {
  struct Case {
    const char* host;
    std::int32_t result;
    bool broadcast;
    int firstSendFails = 0;  // the Winsock error of the first sendto
  };
  namespace wsaerr = platform::wsaerr;
  for (const Case& c : {Case{"255.255.255.255", 10, true}, Case{"255.255.255.255 ", -1, false},
                        Case{"192.0.2.50", 10, false}, Case{nullptr, -1, false},
                        Case{"192.0.2.50", 10, false, wsaerr::ConnectionReset},
                        Case{"255.255.255.255", 10, true, wsaerr::ConnectionReset},
                        Case{"192.0.2.50", -1, false, wsaerr::NetworkUnreachable}}) {
    SCOPED_TRACE(std::string(c.host ? c.host : "null") + " " + std::to_string(c.firstSendFails));
    InputSocket socket(os.sockets, os.clock);
    Udp(socket);
    ASSERT_TRUE(socket.BindToHostAddress(5001, 0));
    if (c.firstSendFails != 0) machine->faults().FailOnce("sendto", static_cast<platform::DWORD>(c.firstSendFails));
    EXPECT_EQ(socket.SendTo(reinterpret_cast<const std::uint8_t*>("RQ7200FIND"), 10, c.host, 1460, 5), c.result);
    EXPECT_EQ(socket.broadcast(), c.broadcast);
  }
}

// After a search request: what waits, and what Receive makes of it.
TEST_F(SocketLayerTest, ReceiveReadsOneDatagramOrTimesOut) {
  struct Case {
    const char* name;
    int boards;
    unsigned long waiting;  // the count once the replies are in
    std::int32_t asked;
    std::int32_t result;
    std::uint64_t virtualMs;  // spent inside Receive
  };
  for (const Case& c : {Case{"NothingWaiting", 0, 0, 34, -1, 1000}, Case{"WholeDatagram", 1, 34, 34, 34, 0},
                        Case{"FewerThanAskedAfterTheTime", 1, 34, 100, 34, 1000},
                        Case{"TwoWaitingSummedOneRead", 2, 68, 68, 34, 0}}) {
    SCOPED_TRACE(c.name);
    Boards(c.boards);
    InputSocket socket(os.sockets, os.clock);
    Udp(socket);
    ASSERT_TRUE(socket.BindToHostAddress(5001, 0));
    ASSERT_EQ(socket.SendTo(reinterpret_cast<const std::uint8_t*>("RQ7200FIND"), 10, "255.255.255.255", 1460, 5), 10);
    os.clock.Sleep(100);
    unsigned long waiting = 99;
    EXPECT_EQ(socket.BytesAvailable(waiting), c.waiting != 0);
    EXPECT_EQ(waiting, c.waiting);
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(c.asked));
    const std::uint64_t start = Now();
    EXPECT_EQ(socket.Receive(buffer.data(), c.asked, 1), c.result);
    EXPECT_GE(Now() - start, c.virtualMs);
    EXPECT_LE(Now() - start, c.virtualMs + 2);
    if (c.result > 0) {
      EXPECT_EQ(socket.lastSender(), (std::array<std::uint8_t, 4>{192, 0, 2, 50}));
    }
  }
}

}  // namespace

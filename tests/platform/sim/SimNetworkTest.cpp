// The simulated network: the Winsock rules the board search relies on, the adapters' networks, the
// boards' switches and settings, the adapter list's size rule and the refusals of machine.json.
#include <gtest/gtest.h>

#include <functional>

#include <nlohmann/json.hpp>

#include "platform/sim/BoardPeer.h"
#include "platform/sim/MachineDocumentChecks.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace {

using platform::SockAddrIn;
using platform::SOCKET;
using platform::sim::SimMachine;
using Json = nlohmann::ordered_json;
using Bytes = std::vector<std::uint8_t>;
namespace wsaerr = platform::wsaerr;
namespace sockopt = platform::sockopt;

constexpr platform::WORD kWinsock22 = 0x0202;
const std::array<std::uint8_t, 4> kEthernet{192, 0, 2, 10};
const std::array<std::uint8_t, 4> kWifi{198, 51, 100, 20};
const std::array<std::uint8_t, 4> kBroadcast{255, 255, 255, 255};

Json Adapter(const std::string& name, const std::string& mac, const std::string& ip) {
  return Json{{"name", name}, {"mac", mac}, {"ip", ip}, {"mask", "255.255.255.0"}, {"gateway", "0.0.0.0"}};
}

Json Board(const std::string& kind, const std::string& mac, const Json& adapter = "Ethernet") {
  return Json{{"kind", kind}, {"mac", mac}, {"ip", "192.0.2.5" + mac.substr(16)}, {"adapter", adapter}};
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

class SimNetworkTest : public testing::Test {
protected:
  SimNetworkTest() {
    machine->document()["networkAdapters"] = Json::array({Adapter("Ethernet", "02-00-00-00-00-01", "192.0.2.10"),
                                                          Adapter("Wi-Fi", "02-00-00-00-00-02", "198.51.100.20")});
    // The default boards stay, on "Ethernet": where a test takes the adapters away, they hear nothing.
    EXPECT_EQ(net.WSAStartup(kWinsock22), 0);
  }
  ~SimNetworkTest() override {
    (void)net.WSACleanup();
    EXPECT_EQ(machine->handles().Describe(), std::vector<std::string>{});
  }

  SOCKET Bound(std::array<std::uint8_t, 4> address, bool broadcast = true) {
    const SOCKET s = net.socket(platform::af::Inet, platform::socktype::Datagram, platform::ipproto::Udp);
    EXPECT_EQ(net.setsockopt(s, sockopt::SolSocket, sockopt::Broadcast, broadcast ? 1 : 0), 0);
    EXPECT_EQ(net.bind(s, SockAddrIn{platform::af::Inet, 5001, address}), 0);
    return s;
  }
  int SendTo(SOCKET s, const Bytes& data, std::array<std::uint8_t, 4> to = kBroadcast) {
    return net.sendto(s, data, 0, SockAddrIn{platform::af::Inet, 1460, to});
  }
  unsigned long Waiting(SOCKET s) {
    unsigned long count = 99;
    EXPECT_EQ(net.ioctlsocketFionread(s, count), 0);
    return count;
  }
  // The sizes of the datagrams a search from `from` gets back, read once they have all arrived.
  std::vector<std::size_t> Replies(std::array<std::uint8_t, 4> from, const std::string& search,
                                   std::vector<Bytes>* bytes = nullptr) {
    const SOCKET s = Bound(from);
    EXPECT_EQ(SendTo(s, Text(search)), static_cast<int>(search.size()));
    machine->clock().Sleep(1000);
    std::vector<std::size_t> sizes;
    for (Bytes buffer(2048); Waiting(s) > 0;) {
      SockAddrIn sender;
      const int n = net.recvfrom(s, buffer, 0, sender);
      sizes.push_back(static_cast<std::size_t>(n));
      if (bytes) bytes->emplace_back(buffer.begin(), buffer.begin() + n);
    }
    (void)net.closesocket(s);
    return sizes;
  }

  std::unique_ptr<SimMachine> machine = SimMachine::InMemory();
  platform::Platform os = machine->platform();
  platform::Sockets& net = os.sockets;
};

TEST_F(SimNetworkTest, EachRefusedCallSaysWhy) {
  const auto closing = [this](SOCKET s, int result) {
    (void)net.closesocket(s);
    return result;
  };
  const struct {
    const char* name;
    std::function<int()> call;  // fails with kSocketError
    int error;                  // and WSAGetLastError then says this
  } rows[] = {
      {"StreamSocket", [&] { return static_cast<int>(net.socket(2, 1, 6)); }, wsaerr::SocketTypeNotSupported},
      {"BindElsewhere",
       [&] {
         const SOCKET s = net.socket(2, 2, 17);
         return closing(s, net.bind(s, SockAddrIn{2, 5001, {203, 0, 113, 1}}));
       },
       wsaerr::AddressNotAvailable},
      {"SamePortTwice",
       [&] {
         const SOCKET a = Bound(kEthernet), b = net.socket(2, 2, 17);
         return closing(a, closing(b, net.bind(b, SockAddrIn{2, 5001, {0, 0, 0, 0}})));
       },
       wsaerr::AddressInUse},
      {"BroadcastWithoutPermission",
       [&] {
         const SOCKET s = Bound(kEthernet, false);
         return closing(s, SendTo(s, Text("FIND")));
       },
       wsaerr::AccessDenied},
      {"NothingWillArrive",
       [&] {
         const SOCKET s = Bound(kEthernet);
         Bytes buffer(64);
         SockAddrIn from;
         return closing(s, net.recvfrom(s, buffer, 0, from));
       },
       wsaerr::TimedOut},
      {"AddressWithName",
       [&] {
         SockAddrIn a;
         return net.WSAStringToAddressA("kvx-sim:5001", 2, a);
       },
       wsaerr::Invalid},
      {"AddressWithBadPort",
       [&] {
         SockAddrIn a;
         return net.WSAStringToAddressA("192.0.2.10:70000", 2, a);
       },
       wsaerr::Invalid},
      {"InjectedFault",
       [&] {
         machine->faults().FailOnce("sendto", wsaerr::NetworkDown);
         const SOCKET s = Bound(kEthernet);
         return closing(s, SendTo(s, Text("FIND")));
       },
       wsaerr::NetworkDown},
      {"SecondClose",
       [&] {
         const SOCKET s = Bound(kEthernet);
         (void)net.closesocket(s);
         return net.closesocket(s);
       },
       wsaerr::NotSocket},
      {"NotStarted",
       [&] {
         (void)net.WSACleanup();
         const int result = static_cast<int>(net.socket(2, 2, 17));
         EXPECT_EQ(net.WSAStartup(kWinsock22), 0);
         return result;
       },
       wsaerr::NotInitialised},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.call(), platform::kSocketError);
    EXPECT_EQ(net.WSAGetLastError(), row.error);
  }
}

TEST_F(SimNetworkTest, WaitingCountSumsDatagramsWhileAReadTakesOne) {
  machine->document()["boards"] =
      Json::array({Board("lindor", "02-00-4B-56-58-30"), Board("lindor", "02-00-4B-56-58-31")});
  const SOCKET s = Bound(kEthernet);
  ASSERT_EQ(SendTo(s, Text("RQ7200FIND")), 10);
  EXPECT_EQ(Waiting(s), 0u);  // the boards' delay has not passed yet
  machine->clock().Sleep(20);
  EXPECT_EQ(Waiting(s), 68u);
  Bytes buffer(68);
  SockAddrIn from;
  EXPECT_EQ(net.recvfrom(s, buffer, 0, from), 34);
  EXPECT_EQ(from, (SockAddrIn{2, 1460, {192, 0, 2, 50}}));
  EXPECT_EQ(Waiting(s), 34u);
  Bytes small(10);
  EXPECT_EQ(net.recvfrom(s, small, 0, from), platform::kSocketError);
  EXPECT_EQ(net.WSAGetLastError(), wsaerr::MessageSize);
  EXPECT_EQ(Bytes(small.begin(), small.end()), Text("RQ7200FOUN"));
  EXPECT_EQ(Waiting(s), 0u);  // the truncated datagram is gone
  (void)net.closesocket(s);
}

TEST_F(SimNetworkTest, ShortSelectsAddUpToTheDeadlineOnTheVirtualClock) {
  machine->document()["boards"] = Json::array({Board("ostrel", "02-00-4B-56-58-30")});
  machine->document()["boards"][0]["delayMs"] = 12000;
  const SOCKET s = Bound(kEthernet);
  SendTo(s, Text("FIND"));
  const platform::DWORD start = os.clock.GetTickCount();
  int polls = 0;
  while (os.clock.GetTickCount() - start < 10000) {
    ASSERT_EQ(net.select(s, platform::SelectSet::Read, 100), 0);
    ++polls;
  }
  EXPECT_EQ(polls, 100000);
  EXPECT_EQ(net.select(s, platform::SelectSet::Read, 2000000), 1);  // the reply arrives within the wait
  EXPECT_EQ(os.clock.GetTickCount() - start, 12000u);
  (void)net.closesocket(s);
}

TEST_F(SimNetworkTest, BroadcastReachesTheBoardsOnTheSendersNetwork) {
  machine->document()["boards"] = Json::array(
      {Board("ostrel", "02-00-4B-56-58-30"), Board("ostrel", "02-00-4B-56-58-31", "Wi-Fi"),
       Board("ostrel", "02-00-4B-56-58-32", Json::array({"Ethernet", "Wi-Fi"})), Board("lindor", "02-00-4B-56-58-33")});
  const struct {
    std::array<std::uint8_t, 4> from;
    std::string search;
    std::vector<std::size_t> replies;
  } rows[] = {{kEthernet, "FIND", {49, 49}}, {kWifi, "FIND", {49, 49}},       {{0, 0, 0, 0}, "FIND", {49, 49}},
              {{127, 0, 0, 1}, "FIND", {}},  {kEthernet, "RQ7200FIND", {34}}, {kEthernet, "FINDX", {}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(platform::sim::Ipv4Text(row.from) + " " + row.search);
    EXPECT_EQ(Replies(row.from, row.search), row.replies);
  }
}

TEST_F(SimNetworkTest, BehaviourSwitchesShapeTheReplies) {
  const struct {
    const char* name;
    Json switches;
    std::vector<std::size_t> replies;
    bool garbageFirst;
  } rows[] = {{"Twice", {{"answers", 2}}, {34, 34}, false},
              {"Silent", {{"answers", 0}}, {}, false},
              {"Packed", {{"packWith", "02-00-4B-56-58-31"}}, {68}, false},
              {"Short", {{"replyBytes", 20}}, {20}, false},
              {"Garbage", {{"garbage", true}}, {34, 34}, true},
              {"Trailer", {{"trailer", "00 FF"}}, {36}, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Json first = Board("lindor", "02-00-4B-56-58-30");
    first.update(row.switches);
    Json second = Board("lindor", "02-00-4B-56-58-31");
    second["answers"] = 0;  // heard only when packed
    machine->document()["boards"] = Json::array({first, second});
    std::vector<Bytes> bytes;
    EXPECT_EQ(Replies(kEthernet, "RQ7200FIND", &bytes), row.replies);
    if (!bytes.empty()) {
      EXPECT_EQ(bytes.front()[0] != 'R', row.garbageFirst);
    }
  }
}

TEST(SimNetworkBoardsTest, ConfigurationRequestChangesTheBoardForTheNextSearchAndRun) {
  simtest::TempDir temp;
  auto machine = SimMachine::OpenFolder(temp.path());  // the default machine: a board of each kind
  platform::Sockets& net = machine->platform().sockets;
  ASSERT_EQ(net.WSAStartup(kWinsock22), 0);
  Bytes save = Text("RQ7200SAVE");
  const Bytes payload{0x02, 0x00, 0x4B, 0x56, 0x58, 0x30, 0x0F, 0x00, 10,   1,    2, 3,
                      255,  0,    0,    0,    10,   1,    2,    254,  0x23, 0x8C, 1};
  save.insert(save.end(), payload.begin(), payload.end());
  const SOCKET s = net.socket(2, 2, 17);
  (void)net.setsockopt(s, sockopt::SolSocket, sockopt::Broadcast, 1);
  const SockAddrIn boards{2, 1460, kBroadcast};
  ASSERT_EQ(net.sendto(s, save, 0, boards), 33);
  save[15] = 0x31;  // the Ostrel board's MAC: not its kind of request
  save[18] = 11;
  ASSERT_EQ(net.sendto(s, save, 0, boards), 33);
  ASSERT_EQ(net.sendto(s, Text("RQ7200FIND"), 0, boards), 10);
  Bytes reply(34);
  SockAddrIn from;
  ASSERT_EQ(net.recvfrom(s, reply, 0, from), 34);
  EXPECT_EQ(Bytes(reply.begin() + 19, reply.end()), (Bytes{10, 1, 2, 3, 255, 0, 0, 0, 10, 1, 2, 254, 0x8C, 0x23, 1}));
  (void)net.closesocket(s);
  (void)net.WSACleanup();
  machine->Save();

  const Json saved = Json::parse(simtest::ReadFile(temp.path() / "machine.json"))["boards"];
  EXPECT_EQ(saved[0], (Json{{"kind", "lindor"},
                            {"mac", "02-00-4B-56-58-30"},
                            {"ip", "10.1.2.3"},
                            {"mask", "255.0.0.0"},
                            {"gateway", "10.1.2.254"},
                            {"port", 9100},
                            {"dhcp", true},
                            {"adapter", "Ethernet"}}));
  EXPECT_EQ(saved[1]["ip"], "192.0.2.51");
}

TEST_F(SimNetworkTest, AdapterListNeedsItsSizeAndHostAddressesFollowIt) {
  const struct {
    std::size_t adapters;
    std::size_t moreAddresses;
    platform::ULONG buffer;
    platform::DWORD result;
  } rows[] = {{16, 0, 11264, 0},
              {17, 0, 11264, platform::winerr::BufferOverflow},
              {0, 0, 11264, platform::winerr::NoData},
              {1, 1, 752, 0},
              {1, 1, 751, platform::winerr::BufferOverflow}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.adapters) + " adapters, buffer " + std::to_string(row.buffer));
    Json adapters = Json::array();
    for (std::size_t i = 0; i < row.adapters; ++i) {
      adapters.push_back(Adapter("A" + std::to_string(i), "02-00-00-00-00-01", "10.0.0." + std::to_string(i)));
      if (row.moreAddresses)
        adapters.back()["moreAddresses"] = Json::array({{{"ip", "10.9.9.9"}, {"mask", "255.0.0.0"}}});
    }
    machine->document()["networkAdapters"] = adapters;
    std::vector<platform::AdapterInfo> list;
    EXPECT_EQ(os.ipHelper.GetAdaptersInfo(row.buffer, list), row.result);
    EXPECT_EQ(list.size(), row.result == 0 ? row.adapters : 0u);
  }

  machine->document()["networkAdapters"] = Json::array(
      {Adapter("Ethernet", "02-00-00-00-00-01", "0.0.0.0"), Adapter("Wi-Fi", "02-00-00-00-00-02", "198.51.100.20")});
  std::string name;
  ASSERT_EQ(net.gethostname(name), 0);
  std::vector<std::array<std::uint8_t, 4>> addresses;
  ASSERT_TRUE(net.gethostbyname(name, addresses));
  EXPECT_EQ(addresses, (std::vector<std::array<std::uint8_t, 4>>{kWifi}));
}

struct RefusedDocument {
  const char* name;
  std::string members;
  std::string problem;
};

TEST(SimNetworkDocumentTest, MalformedNetworkSectionsAreRefusedByField) {
  const std::string adapter =
      R"("networkAdapters": [{"name": "Ethernet", "mac": "02-00-00-00-00-01", "ip": "192.0.2.10", "mask": "255.255.255.0"}], )";
  const std::string board = R"({"kind": "lindor", "mac": "02-00-4B-56-58-30", "ip": "192.0.2.50")";
  const RefusedDocument rows[] = {
      {"AdapterWithoutMask", R"("networkAdapters": [{"name": "E", "mac": "", "ip": "192.0.2.10"}])",
       "\"networkAdapters[0].mask\" is missing"},
      {"AdapterAddress", R"("networkAdapters": [{"name": "E", "mac": "02", "ip": "192.0.2", "mask": "255.0.0.0"}])",
       "\"networkAdapters[0].ip\" must be an IPv4 address a.b.c.d"},
      {"AdapterMac", R"("networkAdapters": [{"name": "E", "mac": "02-0", "ip": "192.0.2.1", "mask": "255.0.0.0"}])",
       "\"networkAdapters[0].mac\" must be up to 8 hexadecimal bytes joined by '-'"},
      {"BoardsNotAList", adapter + R"("boards": {})", "\"boards\" must be a list"},
      {"BoardKind", adapter + R"("boards": [{"kind": "other", "mac": "02-00-4B-56-58-30", "ip": "192.0.2.50"}])",
       "\"boards[0].kind\" must be \"ostrel\" or \"lindor\""},
      {"BoardMac", adapter + R"("boards": [{"kind": "lindor", "mac": "02-00-4B-56-58", "ip": "192.0.2.50"}])",
       "\"boards[0].mac\" must be a hardware address like 02-00-4B-56-58-30"},
      {"BoardWithoutIp", adapter + R"("boards": [{"kind": "lindor", "mac": "02-00-4B-56-58-30"}])",
       "\"boards[0].ip\" is missing"},
      {"BoardUnknownField", adapter + R"("boards": [)" + board + R"(, "colour": 1}])",
       "\"boards[0]\" has an unknown field \"colour\""},
      {"BoardPort", adapter + R"("boards": [)" + board + R"(, "port": 65536}])",
       "\"boards[0].port\" must be a whole number from 0 to 65535"},
      {"BoardOnNoAdapter", adapter + R"("boards": [)" + board + R"(, "adapter": "Wi-Fi"}])",
       "\"boards[0].adapter\" names no adapter of \"networkAdapters\": \"Wi-Fi\""},
      {"BoardAnswers", adapter + R"("boards": [)" + board + R"(, "answers": 17}])",
       "\"boards[0].answers\" must be a whole number from 0 to 16"},
      {"BoardOpaqueLength", adapter + R"("boards": [)" + board + R"(, "opaque": "00"}])",
       "\"boards[0].opaque\" must be 2 bytes for this kind"},
      {"BoardTrailer", adapter + R"("boards": [)" + board + R"(, "trailer": "0G"}])",
       "\"boards[0].trailer\" must be at most 1024 bytes in hexadecimal"},
  };
  for (const RefusedDocument& row : rows) {
    SCOPED_TRACE(row.name);
    simtest::ExpectDocumentRefused(row.members, row.problem);
  }
}

}  // namespace

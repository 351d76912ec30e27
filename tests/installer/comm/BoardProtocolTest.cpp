// Board records, the reply parser, and discovery and configuration against simulated boards.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <string>
#include <vector>

#include "comm/BoardInfo.h"
#include "comm/BoardProtocol.h"
#include "platform/sim/SimMachine.h"
#include "support/ForwardingServices.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// A reply record whose every byte is its own offset, except the token and what is given.
Bytes Record(std::int32_t kind, std::uint8_t macLast = 0x30) {
  const bool lindor = kind == boardkind::Lindor;
  const Bytes token = Text(lindor ? "RQ7200FOUND" : "IMIN");
  Bytes record = token;
  for (std::size_t i = token.size(); i < (lindor ? 34u : 49u); ++i) record.push_back(static_cast<std::uint8_t>(i));
  record[token.size() + 5] = macLast;
  return record;
}

std::uint8_t MacLast(const TypeBoardInfo& board) { return board.MacByte(5); }

struct ParseCase {
  const char* name;
  std::int32_t kind;
  Bytes datagram;
  Bytes listedBefore;  // last MAC bytes of boards already listed
  Bytes listedAfter;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class ParseRepliesTest : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseRepliesTest, TakesWholeRecordsUpToTheFirstWithoutTheToken) {
  const ParseCase& c = GetParam();
  BoardList list;
  for (const std::uint8_t mac : c.listedBefore) ParseBoardReplies(c.kind, Record(c.kind, mac), list);
  // The datagram alone in its own buffer: any read past its end is the sanitizers' to find.
  const auto datagram = std::make_unique<std::uint8_t[]>(c.datagram.size());
  std::copy(c.datagram.begin(), c.datagram.end(), datagram.get());
  ParseBoardReplies(c.kind, {datagram.get(), c.datagram.size()}, list);
  Bytes listed;
  for (const auto& board : list) listed.push_back(MacLast(*board));
  EXPECT_EQ(listed, c.listedAfter);
}

Bytes AllButLast(Bytes record) {
  record.pop_back();
  return record;
}
const Bytes kOstrelHalf = AllButLast(Record(boardkind::Ostrel));
const Bytes kLindorHalf = AllButLast(Record(boardkind::Lindor));

INSTANTIATE_TEST_SUITE_P(
    Datagrams, ParseRepliesTest,
    testing::Values(
        ParseCase{"OstrelOne", boardkind::Ostrel, Record(boardkind::Ostrel, 1), {}, {1}},
        ParseCase{"OstrelTwoBackToBack", boardkind::Ostrel,
                  Record(boardkind::Ostrel, 1) + Record(boardkind::Ostrel, 2), {}, {1, 2}},
        ParseCase{"OstrelRecordThenPart", boardkind::Ostrel, Record(boardkind::Ostrel, 1) + kOstrelHalf, {}, {1}},
        ParseCase{"OstrelShortAlone", boardkind::Ostrel, kOstrelHalf, {}, {}},
        ParseCase{"Empty", boardkind::Ostrel, {}, {}, {}},
        ParseCase{"OstrelTokenOfTheOtherKind", boardkind::Ostrel,
                  Record(boardkind::Lindor, 1) + Bytes(15, 0) + Record(boardkind::Ostrel, 2), {}, {}},
        ParseCase{"BadTokenEndsTheDatagram", boardkind::Ostrel,
                  Record(boardkind::Ostrel, 1) + Bytes(49, 'I') + Record(boardkind::Ostrel, 2), {}, {1}},
        ParseCase{"SameMacTwiceFirstKept", boardkind::Ostrel,
                  Record(boardkind::Ostrel, 1) + Record(boardkind::Ostrel, 1), {}, {1}},
        ParseCase{"AlreadyListedNotAdded", boardkind::Ostrel,
                  Record(boardkind::Ostrel, 2) + Record(boardkind::Ostrel, 3), {2}, {2, 3}},
        ParseCase{"LindorTwoAndPart", boardkind::Lindor,
                  Record(boardkind::Lindor, 1) + Record(boardkind::Lindor, 2) + kLindorHalf, {}, {1, 2}},
        ParseCase{"LindorShortAlone", boardkind::Lindor, kLindorHalf, {}, {}},
        ParseCase{"LindorOstrelToken", boardkind::Lindor, Record(boardkind::Ostrel, 1), {}, {}},
        ParseCase{"LindorAlreadyListed", boardkind::Lindor, Record(boardkind::Lindor, 7), {7}, {7}}));

// What each accessor reads, as record offsets (the payload starts after the token), for both kinds;
// beyond its address an accessor answers 0 (255 for the mask).
TEST(BoardRecordTest, AccessorsReadTheirKindsOffsets) {
  struct Kind {
    std::int32_t kind;
    std::size_t mac, ip, mask, gateway, dhcp;
    std::uint16_t port;  // from the record's bytes at the port offset (their offsets as values)
  };
  for (const Kind& k : {Kind{boardkind::Ostrel, 4, 11, 15, 19, 46, 23 * 256 + 24},
                        Kind{boardkind::Lindor, 11, 19, 23, 27, 33, 32 * 256 + 31}}) {
    SCOPED_TRACE(k.kind);
    BoardList list;
    Bytes record = Record(k.kind, 0x35);
    ParseBoardReplies(k.kind, record, list);
    ASSERT_EQ(list.size(), 1u);
    const TypeBoardInfo& board = *list.front();
    for (std::uint8_t i = 0; i < 5; ++i) EXPECT_EQ(board.MacByte(i), k.mac + i);
    for (std::uint8_t i = 0; i < 4; ++i) {
      EXPECT_EQ(board.IpByte(i), k.ip + i);
      EXPECT_EQ(board.MaskByte(i), k.mask + i);
      EXPECT_EQ(board.GatewayByte(i), k.gateway + i);
    }
    for (const std::uint8_t outside : {std::uint8_t{6}, std::uint8_t{200}, std::uint8_t{255}}) {
      EXPECT_EQ(board.MacByte(outside), 0);
      EXPECT_EQ(board.IpByte(outside), 0);
      EXPECT_EQ(board.GatewayByte(outside), 0);
      EXPECT_EQ(board.MaskByte(outside), 255);
    }
    EXPECT_EQ(board.IpByte(4), 0);
    EXPECT_EQ(board.MaskByte(4), 255);
    EXPECT_EQ(board.Port(), k.port);
    EXPECT_TRUE(board.DhcpEnabled());
    record[k.dhcp] = 0;
    BoardList again;
    ParseBoardReplies(k.kind, record, again);
    EXPECT_FALSE(again.front()->DhcpEnabled());
  }
}

using Json = nlohmann::ordered_json;

// The simulated machine's sockets, with every datagram sent and received kept for the test to read.
class RecordingSockets : public fakes::ForwardingSockets {
public:
  using ForwardingSockets::ForwardingSockets;
  std::vector<std::pair<SockAddrIn, Bytes>> sent;
  std::vector<Bytes> received;

  int sendto(SOCKET s, std::span<const std::uint8_t> d, int f, const SockAddrIn& to) override {
    sent.emplace_back(to, Bytes(d.begin(), d.end()));
    return inner_.sendto(s, d, f, to);
  }
  int recvfrom(SOCKET s, std::span<std::uint8_t> b, int f, SockAddrIn& from) override {
    const int n = inner_.recvfrom(s, b, f, from);
    if (n > 0) received.emplace_back(b.begin(), b.begin() + n);
    return n;
  }
};

Json NetAdapter(int n) {
  const std::string i = std::to_string(n);
  return {{"name", "Ethernet " + i}, {"mac", "02-00-00-00-00-0" + i}, {"ip", "10.0." + i + ".10"},
          {"mask", "255.255.255.0"}, {"gateway", "10.0." + i + ".1"}};
}

// A board on the networks of the given adapters (numbers of NetAdapter), with its address's last octet.
Json Board(const char* kind, int macLast, int ipLast, Json adapters = 1, Json behaviour = Json::object()) {
  if (adapters.is_number()) adapters = "Ethernet " + std::to_string(adapters.get<int>());
  else for (Json& a : adapters) a = "Ethernet " + std::to_string(a.get<int>());
  char mac[32];
  std::snprintf(mac, sizeof mac, "02-00-4B-56-58-%02X", static_cast<unsigned>(macLast));
  Json board = {{"kind", kind}, {"mac", mac},
                {"ip", "10.0.1." + std::to_string(ipLast)}, {"mask", "255.255.255.0"}, {"gateway", "10.0.1.1"},
                {"port", 9100}, {"dhcp", false}, {"adapter", adapters}};
  board.update(behaviour);
  return board;
}

class SimBoardsTest : public testing::Test {
protected:
  void SetUp() override { ASSERT_EQ(os.sockets.WSAStartup(0x0202), 0); }
  void TearDown() override {
    EXPECT_EQ(os.sockets.WSACleanup(), 0);
    EXPECT_EQ(machine->handles().OpenCount(), 0u);
  }
  void Network(int adapters, Json boards) {
    Json list = Json::array();
    for (int i = 1; i <= adapters; ++i) list.push_back(NetAdapter(i));
    machine->document()["networkAdapters"] = list;
    machine->document()["boards"] = std::move(boards);
  }
  std::uint64_t Now() const { return machine->clock().Elapsed(); }

  std::unique_ptr<platform::sim::SimMachine> machine = platform::sim::SimMachine::InMemory();
  RecordingSockets sockets{machine->platform().sockets};
  platform::Platform os = [this] {
    platform::Platform p = machine->platform();
    return platform::Platform{p.clock, p.registry, p.profile, p.version, p.process, p.services, p.spooler,
                              p.messages, p.files, p.libraries, p.devices, p.threads, p.serial, p.printing,
                              sockets, p.ipHelper, p.lastError, p.fonts};
  }();
  int pumps = 0;
  std::function<void()> pump = [this] { ++pumps; };
};

struct SearchCase {
  const char* name;
  const char* kind;
  int adapters;
  Json boards;
  Bytes listed;               // the boards found, by last MAC byte, in order
  Bytes ipLast;               // and the last octet of each one's address
  std::string localAddress;   // "-" when no reply of a record's size was seen
  std::uint64_t virtualMs;    // the search's duration on the virtual clock; 0: not looked at
  bool adapterListFails = false;
};

void PrintTo(const SearchCase& c, std::ostream* os) { *os << c.name; }

class DiscoverBoardsTest : public SimBoardsTest, public testing::WithParamInterface<SearchCase> {};

TEST_P(DiscoverBoardsTest, ListsEachBoardOnceFromWhatCanBeRead) {
  const SearchCase& c = GetParam();
  Network(c.adapters, c.boards);
  if (c.adapterListFails) machine->faults().FailFrom("GetAdaptersInfo", 1, platform::winerr::NoData);
  const std::int32_t kind = std::string(c.kind) == "lindor" ? boardkind::Lindor : boardkind::Ostrel;
  std::string localAddress = "-";
  const std::uint64_t start = Now();
  const BoardList list = DiscoverBoards(os, pump, kind, localAddress);
  const std::uint64_t took = Now() - start;

  Bytes listed, ip;
  for (const auto& board : list) {
    listed.push_back(board->MacByte(5));
    ip.push_back(board->IpByte(3));
  }
  EXPECT_EQ(listed, c.listed);
  EXPECT_EQ(ip, c.ipLast);
  EXPECT_EQ(localAddress, c.localAddress);
  // One search request per adapter (one when the table is empty), from port 5001 to the broadcast address.
  const Bytes request = Text(kind == boardkind::Lindor ? "RQ7200FIND" : "FIND");
  ASSERT_EQ(sockets.sent.size(), static_cast<std::size_t>(c.adapterListFails ? 1 : c.adapters));
  for (const auto& [to, bytes] : sockets.sent) {
    EXPECT_EQ(bytes, request);
    EXPECT_EQ(to.port, 1460);
    EXPECT_EQ(to.address, (std::array<std::uint8_t, 4>{255, 255, 255, 255}));
  }
  if (c.virtualMs != 0) {
    EXPECT_GE(took, c.virtualMs);
    EXPECT_LE(took, c.virtualMs + 10);
  }
}

// Six empty polls 350 ms apart end a silent network's listening.
constexpr std::uint64_t kSilence = 6 * 350;

INSTANTIATE_TEST_SUITE_P(
    Networks, DiscoverBoardsTest,
    testing::Values(
        SearchCase{"OneBoard", "lindor", 1, Json::array({Board("lindor", 0x30, 50)}), {0x30}, {50}, "10.0.1.10", 0},
        SearchCase{"OtherKindIgnored", "ostrel", 1, Json::array({Board("lindor", 0x30, 50), Board("ostrel", 0x31, 51)}),
                   {0x31}, {51}, "10.0.1.10", 0},
        SearchCase{"SameMacOnTwoNetworksFirstReplyKept", "lindor", 2,
                   Json::array({Board("lindor", 0x30, 50, 1), Board("lindor", 0x30, 60, 2)}), {0x30}, {50},
                   "10.0.2.10", 0},
        SearchCase{"OneBoardOnTwoNetworks", "ostrel", 2, Json::array({Board("ostrel", 0x31, 51, Json{1, 2})}),
                   {0x31}, {51}, "10.0.2.10", 0},
        SearchCase{"TwoRecordsInOneDatagram", "lindor", 1,
                   Json::array({Board("lindor", 0x30, 50, 1, {{"packWith", "02-00-4B-56-58-32"}}),
                                Board("lindor", 0x32, 52)}),
                   {0x30, 0x32}, {50, 52}, "10.0.1.10", 0},
        // Replies waiting together (the count is their sum) are read one datagram at a time, in arrival order.
        SearchCase{"OstrelBoardsAnsweringTogetherAllListed", "ostrel", 1,
                   Json::array({Board("ostrel", 0x35, 55, 1, {{"delayMs", 30}}), Board("ostrel", 0x31, 51),
                                Board("ostrel", 0x33, 53, 1, {{"answers", 2}})}),
                   {0x31, 0x33, 0x35}, {51, 53, 55}, "10.0.1.10", 0},
        SearchCase{"LindorBoardsAnsweringTogetherAllListed", "lindor", 1,
                   Json::array({Board("lindor", 0x30, 50, 1, {{"packWith", "02-00-4B-56-58-32"}}),
                                Board("lindor", 0x32, 52), Board("lindor", 0x34, 54), Board("lindor", 0x36, 56)}),
                   {0x30, 0x32, 0x34, 0x36}, {50, 52, 54, 56}, "10.0.1.10", 0},
        SearchCase{"AnswerTwiceAtOnce", "lindor", 1, Json::array({Board("lindor", 0x30, 50, 1, {{"answers", 2}})}),
                   {0x30}, {50}, "10.0.1.10", 0},
        SearchCase{"ShortDatagramAloneWaitsOutTheLimit", "lindor", 1,
                   Json::array({Board("lindor", 0x30, 50, 1, {{"replyBytes", 33}})}), {}, {}, "-", 10000},
        SearchCase{"ShortOstrelAloneWaitsOutTheLimit", "ostrel", 1,
                   Json::array({Board("ostrel", 0x31, 51, 1, {{"replyBytes", 48}})}), {}, {}, "-", 10000},
        SearchCase{"ShortDatagramBeforeALongerIgnored", "lindor", 1,
                   Json::array({Board("lindor", 0x30, 50, 1, {{"replyBytes", 20}, {"delayMs", 20}}),
                                Board("lindor", 0x32, 52, 1, {{"delayMs", 100}})}),
                   {0x32}, {52}, "10.0.1.10", 0},
        SearchCase{"GarbageFirst", "ostrel", 1, Json::array({Board("ostrel", 0x31, 51, 1, {{"garbage", true}})}),
                   {0x31}, {51}, "10.0.1.10", 0},
        SearchCase{"SilentOnThreeNetworks", "ostrel", 3, Json::array(), {}, {}, "-", 3 * kSilence},
        SearchCase{"EmptyAdapterTableSearchesOnTheFirstAddress", "lindor", 2,
                   Json::array({Board("lindor", 0x30, 50, 1), Board("lindor", 0x34, 54, 2)}), {0x30}, {50}, "10.0.1.10",
                   0, true}));

struct SettingsCase {
  const char* name;
  const char* kind;
  std::array<std::uint8_t, 4> ip;
  std::uint16_t port;
  bool dhcp;
  BoardSettingsResult result;
  // The request is the reply record under the request token, with these bytes (request offsets) changed.
  std::vector<std::pair<std::size_t, std::uint8_t>> changed;
};

void PrintTo(const SettingsCase& c, std::ostream* os) { *os << c.name; }

class SendBoardSettingsTest : public SimBoardsTest, public testing::WithParamInterface<SettingsCase> {};

TEST_P(SendBoardSettingsTest, BroadcastsTheChangedRecordOnEveryNetworkThenWaits) {
  const SettingsCase& c = GetParam();
  const bool lindor = std::string(c.kind) == "lindor";
  const std::int32_t kind = lindor ? boardkind::Lindor : boardkind::Ostrel;
  Network(2, Json::array({Board(c.kind, 0x30, 50, 1,
                                {{"dhcp", true},
                                 {"opaque", lindor ? "A1 A2" : "A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF B0 "
                                                              "B1 B2 B3 B4 B5 B6 B7 B8"}})}));
  std::string localAddress;
  BoardList list = DiscoverBoards(os, pump, kind, localAddress);
  ASSERT_EQ(list.size(), 1u);
  ASSERT_EQ(sockets.received.size(), 1u);
  const Bytes reply = sockets.received.front();
  if (lindor) {
    ASSERT_EQ((Bytes{reply[31], reply[32]}), (Bytes{0x8C, 0x23}));  // 9100, low byte first
  }
  Bytes request = Text(lindor ? "RQ7200SAVE" : "SETT");
  request.insert(request.end(), reply.begin() + (lindor ? 11 : 4), reply.end());
  for (const auto& [offset, value] : c.changed) request.at(offset) = value;

  sockets.sent.clear();
  pumps = 0;
  const std::uint64_t start = Now();
  EXPECT_EQ(SendBoardSettings(os, pump, kind, *list.front(), c.ip, {255, 255, 0, 0}, {10, 0, 1, 254}, c.port, c.dhcp),
            c.result);
  const std::uint64_t took = Now() - start;
  if (c.result == BoardSettingsResult::Refused) {
    EXPECT_TRUE(sockets.sent.empty());
    EXPECT_EQ(took, 0u);
    return;
  }
  ASSERT_EQ(sockets.sent.size(), 2u);
  for (const auto& [to, bytes] : sockets.sent) EXPECT_EQ(bytes, request);
  // 4 s after each adapter's request, 6 s more, messages let through every 100 ms.
  EXPECT_GE(took, 2 * 4000u + 6000u);
  EXPECT_LE(took, 2 * 4000u + 6000u + 10u);
  EXPECT_EQ(pumps, 2 * 40 + 60);
  // The board took them: the next search shows them.
  const BoardList again = DiscoverBoards(os, pump, kind, localAddress);
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again.front()->IpByte(3), c.ip[3]);
  EXPECT_EQ(again.front()->Port(), c.port);
  EXPECT_EQ(again.front()->DhcpEnabled(), lindor ? c.dhcp : true);  // Ostrel: sent back as received
}

INSTANTIATE_TEST_SUITE_P(
    Requests, SendBoardSettingsTest,
    testing::Values(
        SettingsCase{"LindorPortHighByteFirst", "lindor", {10, 0, 1, 77}, 9100, false, BoardSettingsResult::Sent,
                     {{16, 0x0F}, {17, 0x00}, {18, 10}, {19, 0}, {20, 1}, {21, 77}, {22, 255}, {23, 255}, {24, 0},
                      {25, 0}, {26, 10}, {27, 0}, {28, 1}, {29, 254}, {30, 0x23}, {31, 0x8C}, {32, 0}}},
        SettingsCase{"OstrelKeepsEveryOtherByte", "ostrel", {10, 0, 1, 78}, 0x1234, false, BoardSettingsResult::Sent,
                     {{11, 10}, {12, 0}, {13, 1}, {14, 78}, {15, 255}, {16, 255}, {17, 0}, {18, 0}, {19, 10},
                      {20, 0}, {21, 1}, {22, 254}, {23, 0x12}, {24, 0x34}, {41, 0}, {42, 10}, {43, 1}}},
        SettingsCase{"FirstOctetZeroRefused", "ostrel", {0, 0, 1, 79}, 9100, false, BoardSettingsResult::Refused, {}}));

}  // namespace

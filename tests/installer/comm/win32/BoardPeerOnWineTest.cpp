// The search through Winsock against the board simulator, in a private network namespace that
// board-peer-check.sh makes for Wine and the simulator (KVX_BOARD_PEER is set there); outside it
// nothing may be broadcast.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "comm/BoardProtocol.h"
#include "platform/win32/Win32Platform.h"

namespace {

// Wine counts only the first waiting datagram where Windows counts them all: the two boards of a
// kind answer together, and both are listed either way.
TEST(BoardPeerOnWineTest, SearchFindsBothOfTheSimulatorsBoardsOfEachKind) {
  if (!std::getenv("KVX_BOARD_PEER")) GTEST_SKIP() << "needs the board simulator: run by tests/wine/board-peer-check.sh";
  platform::win32::Win32Platform windows;
  platform::Platform os = windows.platform();
  ASSERT_EQ(os.sockets.WSAStartup(0x0202), 0);
  const struct {
    std::int32_t kind;
    std::vector<std::uint8_t> lastMacBytes, lastIpBytes;
  } cases[] = {{boardkind::Ostrel, {0x20, 0x21}, {40, 41}}, {boardkind::Lindor, {0x30, 0x31}, {50, 51}}};
  for (const auto& c : cases) {
    std::string localAddress;
    const BoardList boards = DiscoverBoards(os, [] {}, c.kind, localAddress);
    std::vector<std::uint8_t> macs, ips;
    for (const auto& board : boards) {
      macs.push_back(board->MacByte(5));
      ips.push_back(board->IpByte(3));
      EXPECT_EQ(board->Port(), 9100);
    }
    EXPECT_EQ(macs, c.lastMacBytes) << "kind " << c.kind;
    EXPECT_EQ(ips, c.lastIpBytes) << "kind " << c.kind;
    EXPECT_EQ(localAddress, "127.0.0.1");
  }
  EXPECT_EQ(os.sockets.WSACleanup(), 0);
}

}  // namespace

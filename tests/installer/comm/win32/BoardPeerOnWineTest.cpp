// The search through Winsock against the board simulator, in a private network namespace that
// board-peer-check.sh makes for Wine and the simulator (KVX_BOARD_PEER is set there); outside it
// nothing may be broadcast.
#include <gtest/gtest.h>

#include <cstdlib>

#include "comm/BoardProtocol.h"
#include "platform/win32/Win32Platform.h"

namespace {

TEST(BoardPeerOnWineTest, SearchFindsTheSimulatorsBoardOfEachKind) {
  if (!std::getenv("KVX_BOARD_PEER")) GTEST_SKIP() << "needs the board simulator: run by tests/wine/board-peer-check.sh";
  platform::win32::Win32Platform windows;
  platform::Platform os = windows.platform();
  ASSERT_EQ(os.sockets.WSAStartup(0x0202), 0);
  const struct {
    std::int32_t kind;
    std::uint8_t lastMacByte, lastIpByte;
  } cases[] = {{boardkind::Ostrel, 0x20, 40}, {boardkind::Lindor, 0x30, 50}};
  for (const auto& c : cases) {
    std::string localAddress;
    const BoardList boards = DiscoverBoards(os, [] {}, c.kind, localAddress);
    ASSERT_EQ(boards.size(), 1u) << "kind " << c.kind;
    EXPECT_EQ(boards[0]->MacByte(5), c.lastMacByte);
    EXPECT_EQ(boards[0]->IpByte(3), c.lastIpByte);
    EXPECT_EQ(boards[0]->Port(), 9100);
    EXPECT_EQ(localAddress, "127.0.0.1");
  }
  os.sockets.WSACleanup();
}

}  // namespace

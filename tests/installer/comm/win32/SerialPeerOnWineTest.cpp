// The detection through the Windows serial functions against the printer peer on a pty, which a
// COM port of the test prefix is linked to. serial-peer-check.sh starts the peer, links the port
// and names it in KVX_SERIAL_PEER_PORT; without it there is nothing to talk to.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "comm/PrinterDetection.h"
#include "platform/win32/Win32Platform.h"

namespace {

TEST(SerialPeerOnWineTest, DetectionFindsThePeerAtTheThirdRate) {
  const char* port = std::getenv("KVX_SERIAL_PEER_PORT");
  if (!port) GTEST_SKIP() << "needs the printer peer: run by tests/wine/serial-peer-check.sh";
  platform::win32::Win32Platform windows;
  platform::Platform os = windows.platform();
  // As the port list names ports: with a colon.
  const std::string candidate = std::string(port) + ":";
  std::string found;
  int baud = 0;
  EXPECT_TRUE(DetectPrinter(os.serial, os.clock, [] {}, {candidate}, found, baud));
  EXPECT_EQ(found, candidate);
  EXPECT_EQ(baud, 9600);
}

}  // namespace

// The host's sockets answering as Winsock does, on loopback only (nothing here leaves the computer).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <array>
#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "platform/LoopbackSocketsFixture.h"
#include "platform/posix/PosixSockets.h"

namespace {

using platform::SockAddrIn;
using platform::posix::PosixSockets;

using PosixSocketsTest = LoopbackSocketsFixture<PosixSockets>;

// Linux's own FIONREAD gives the first datagram's size; the system's reads rely on the sum.
TEST_F(PosixSocketsTest, WaitingCountIsTheSumWhileEachReadTakesOneDatagramInOrder) {
  SockAddrIn receiverAddress, senderAddress;
  const platform::SOCKET receiver = BoundToLoopback(receiverAddress);
  const platform::SOCKET sender = BoundToLoopback(senderAddress);
  Send(sender, "first", receiverAddress);
  Send(sender, "second!", receiverAddress);
  ASSERT_EQ(sockets.select(receiver, platform::SelectSet::Read, 2000000), 1);
  unsigned long waiting = 0;
  for (int i = 0; i < 50 && waiting < 12; ++i) {  // loopback delivers at once; the loop only bounds a slow kernel
    ASSERT_EQ(sockets.ioctlsocketFionread(receiver, waiting), 0);
  }
  EXPECT_EQ(waiting, 12u);
  Send(sender, "third", receiverAddress);  // behind the ones already counted

  std::array<std::uint8_t, 64> buffer{};
  SockAddrIn from;
  EXPECT_EQ(sockets.recvfrom(receiver, std::span(buffer).first(3), 0, from), platform::kSocketError);
  EXPECT_EQ(sockets.WSAGetLastError(), platform::wsaerr::MessageSize);
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 3), "fir");
  for (const std::string expected : {"second!", "third"}) {
    ASSERT_EQ(sockets.select(receiver, platform::SelectSet::Read, 2000000), 1);
    ASSERT_EQ(sockets.recvfrom(receiver, buffer, 0, from), static_cast<int>(expected.size()));
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(expected.size())), expected);
    EXPECT_EQ(from, senderAddress);
  }
  ASSERT_EQ(sockets.ioctlsocketFionread(receiver, waiting), 0);
  EXPECT_EQ(waiting, 0u);
  EXPECT_EQ(sockets.select(receiver, platform::SelectSet::Read, 1000), 0);
  EXPECT_EQ(sockets.closesocket(receiver), 0);
  EXPECT_EQ(sockets.closesocket(sender), 0);
}

TEST_F(PosixSocketsTest, ErrorsAreWinsockCodes) {
  SockAddrIn local;
  const platform::SOCKET s = BoundToLoopback(local);
  const platform::SOCKET other = sockets.socket(platform::af::Inet, platform::socktype::Datagram, platform::ipproto::Udp);
  EXPECT_EQ(sockets.bind(other, local), platform::kSocketError);
  EXPECT_EQ(sockets.WSAGetLastError(), platform::wsaerr::AddressInUse);
  EXPECT_EQ(sockets.bind(other, SockAddrIn{platform::af::Inet, 0, {192, 0, 2, 99}}), platform::kSocketError);
  EXPECT_EQ(sockets.WSAGetLastError(), platform::wsaerr::AddressNotAvailable);
  EXPECT_EQ(sockets.closesocket(s), 0);
  EXPECT_EQ(sockets.closesocket(s), platform::kSocketError);
  EXPECT_EQ(sockets.WSAGetLastError(), platform::wsaerr::NotSocket);
  EXPECT_EQ(sockets.closesocket(other), 0);

  PosixSockets notStarted;
  EXPECT_EQ(notStarted.socket(platform::af::Inet, platform::socktype::Datagram, 0), platform::kInvalidSocket);
  EXPECT_EQ(notStarted.WSAGetLastError(), platform::wsaerr::NotInitialised);
}

TEST_F(PosixSocketsTest, AddressTexts) {
  const struct {
    const char* text;
    bool valid;
    SockAddrIn address;
  } cases[] = {
      {"192.0.2.7", true, {platform::af::Inet, 0, {192, 0, 2, 7}}},
      {"255.255.255.255:1460", true, {platform::af::Inet, 1460, {255, 255, 255, 255}}},
      {"192.0.2.256", false, {}}, {"192.0.2", false, {}}, {"192.0.2.7.1", false, {}}, {"192.0.2.7:65536", false, {}},
      {"192.0.2.7:", false, {}},  {" 192.0.2.7", false, {}}, {"host:80", false, {}},
  };
  for (const auto& c : cases) {
    SockAddrIn parsed;
    EXPECT_EQ(sockets.WSAStringToAddressA(c.text, platform::af::Inet, parsed), c.valid ? 0 : platform::kSocketError)
        << c.text;
    if (c.valid) {
      EXPECT_EQ(parsed, c.address) << c.text;
    }
  }
}

// The last cleanup closes the sockets a call of another thread is blocked on: the call ends and fails,
// and only then is the descriptor closed, so that its number is never reused under the call.
TEST_F(PosixSocketsTest, CleanupEndsACallBlockedOnASocketAndClosesItAfterwards) {
  SockAddrIn local;
  const platform::SOCKET s = BoundToLoopback(local);
  auto blocked = std::async(std::launch::async, [&] {
    std::array<std::uint8_t, 16> buffer{};
    SockAddrIn from;
    const int result = sockets.recvfrom(s, buffer, 0, from);
    return std::pair(result, sockets.WSAGetLastError());
  });
  // Time for the call to reach the kernel; the rule holds as well if the cleanup comes first.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_EQ(sockets.WSACleanup(), 0);
  const bool ended = blocked.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
  if (!ended) ::shutdown(static_cast<int>(s), SHUT_RDWR);  // lets the thread go
  ASSERT_TRUE(ended) << "the blocked call never ended";
  EXPECT_EQ(blocked.get(), std::pair(platform::kSocketError, platform::wsaerr::NotInitialised));
  EXPECT_EQ(fcntl(static_cast<int>(s), F_GETFD), -1) << "the descriptor is left open";
  ASSERT_EQ(sockets.WSAStartup(0x0202), 0);  // for the fixture's cleanup
}

// The host's own name lists the interfaces' addresses, as Windows does, and never nothing: the
// search binds to them.
TEST_F(PosixSocketsTest, OwnHostNameListsTheInterfacesAddresses) {
  std::string name;
  ASSERT_EQ(sockets.gethostname(name), 0);
  std::vector<std::array<std::uint8_t, 4>> addresses;
  ASSERT_TRUE(sockets.gethostbyname(name, addresses));
  ASSERT_FALSE(addresses.empty());
  for (const auto& address : addresses) {
    const platform::SOCKET s = sockets.socket(platform::af::Inet, platform::socktype::Datagram, platform::ipproto::Udp);
    EXPECT_EQ(sockets.bind(s, SockAddrIn{platform::af::Inet, 0, address}), 0);
    EXPECT_EQ(sockets.closesocket(s), 0);
  }
}

}  // namespace

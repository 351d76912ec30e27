// Winsock and the IP helper through the seam, on loopback only (nothing here leaves the computer).
#include <gtest/gtest.h>

#include <string>

#include "platform/LoopbackSocketsFixture.h"
#include "platform/win32/Win32Sockets.h"
#include "platform/win32/WineHost.h"

namespace {

using platform::SockAddrIn;

using Win32SocketsTest = LoopbackSocketsFixture<platform::win32::Win32Sockets>;

TEST_F(Win32SocketsTest, LoopbackDatagramsAreReadOneAtATime) {
  SockAddrIn receiverAddress, senderAddress;
  const platform::SOCKET receiver = BoundToLoopback(receiverAddress);
  const platform::SOCKET sender = BoundToLoopback(senderAddress);
  EXPECT_NE(receiverAddress.port, 0);
  EXPECT_EQ(receiverAddress.address, (std::array<std::uint8_t, 4>{127, 0, 0, 1}));

  const std::string first = "first", second = "second!";
  for (const std::string& text : {first, second}) Send(sender, text, receiverAddress);
  ASSERT_EQ(sockets.select(receiver, platform::SelectSet::Read, 2000000), 1);
  unsigned long waiting = 0;
  ASSERT_EQ(sockets.ioctlsocketFionread(receiver, waiting), 0);
  // Windows counts every waiting datagram, Wine the first one only.
  EXPECT_EQ(waiting, wine_host::UnderWine() ? first.size() : first.size() + second.size());

  std::array<std::uint8_t, 64> buffer{};
  SockAddrIn from;
  EXPECT_EQ(sockets.recvfrom(receiver, std::span(buffer).first(3), 0, from), platform::kSocketError);
  EXPECT_EQ(sockets.WSAGetLastError(), platform::wsaerr::MessageSize);
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 3), "fir");
  ASSERT_EQ(sockets.recvfrom(receiver, buffer, 0, from), static_cast<int>(second.size()));
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 7), second);
  EXPECT_EQ(from, senderAddress);
  EXPECT_EQ(sockets.select(receiver, platform::SelectSet::Read, 1000), 0);
  EXPECT_EQ(sockets.select(sender, platform::SelectSet::Write, 1000), 1);
  EXPECT_EQ(sockets.closesocket(receiver), 0);
  EXPECT_EQ(sockets.closesocket(sender), 0);
  EXPECT_EQ(sockets.closesocket(sender), platform::kSocketError);
  EXPECT_EQ(sockets.WSAGetLastError(), platform::wsaerr::NotSocket);
}

TEST_F(Win32SocketsTest, AddressTextsAndTheHostsOwnAddresses) {
  SockAddrIn parsed;
  ASSERT_EQ(sockets.WSAStringToAddressA("192.0.2.7:1460", platform::af::Inet, parsed), 0);
  EXPECT_EQ(parsed, (SockAddrIn{platform::af::Inet, 1460, {192, 0, 2, 7}}));
  EXPECT_EQ(sockets.WSAStringToAddressA("192.0.2.300", platform::af::Inet, parsed), platform::kSocketError);

  std::string name;
  ASSERT_EQ(sockets.gethostname(name), 0);
  std::vector<std::array<std::uint8_t, 4>> addresses;
  EXPECT_TRUE(sockets.gethostbyname(name, addresses));
  EXPECT_FALSE(addresses.empty());
}

TEST(Win32IpHelperTest, AdapterListIntoTheCallersBuffer) {
  platform::win32::Win32IpHelper helper;
  std::vector<platform::AdapterInfo> adapters;
  const platform::DWORD tooSmall = helper.GetAdaptersInfo(0, adapters);
  EXPECT_TRUE(tooSmall == platform::winerr::BufferOverflow || tooSmall == platform::winerr::NoData) << tooSmall;
  EXPECT_TRUE(adapters.empty());
  const platform::DWORD result = helper.GetAdaptersInfo(11264, adapters);
  ASSERT_TRUE(result == 0 || result == platform::winerr::NoData) << result;
  EXPECT_EQ(adapters.empty(), result == platform::winerr::NoData);
  for (const platform::AdapterInfo& adapter : adapters) {
    EXPECT_LE(adapter.address.size(), 8u);
    EXPECT_FALSE(adapter.ipAddressList.empty());
    EXPECT_FALSE(adapter.gatewayList.empty());
  }
}

}  // namespace

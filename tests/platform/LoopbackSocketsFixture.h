#pragma once
// A sockets backend of this computer, started for each test, with datagram sockets on loopback only.
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>

#include "platform/Sockets.h"

template <class Backend>
class LoopbackSocketsFixture : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_EQ(sockets.WSAStartup(0x0202), 0); }
  void TearDown() override { EXPECT_EQ(sockets.WSACleanup(), 0); }

  platform::SOCKET BoundToLoopback(platform::SockAddrIn& local) {
    const platform::SOCKET s = sockets.socket(platform::af::Inet, platform::socktype::Datagram, platform::ipproto::Udp);
    EXPECT_NE(s, platform::kInvalidSocket);
    EXPECT_EQ(sockets.bind(s, platform::SockAddrIn{platform::af::Inet, 0, {127, 0, 0, 1}}), 0);
    EXPECT_EQ(sockets.getsockname(s, local), 0);
    return s;
  }

  void Send(platform::SOCKET from, const std::string& text, const platform::SockAddrIn& to) {
    const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    ASSERT_EQ(sockets.sendto(from, bytes, 0, to), static_cast<int>(text.size()));
  }

  Backend sockets;
};

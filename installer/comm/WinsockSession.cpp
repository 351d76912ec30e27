#include "comm/WinsockSession.h"

namespace {

constexpr platform::WORD kWinsockVersion = 0x0202;

}  // namespace

WinsockSession::WinsockSession(platform::Sockets& sockets)
    : sockets_(sockets), error_(sockets.WSAStartup(kWinsockVersion)) {}

WinsockSession::~WinsockSession() {
  if (error_ == 0) (void)sockets_.WSACleanup();  // the session ends either way
}

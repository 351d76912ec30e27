#pragma once
// Winsock in effect while the object lives, as the board protocol needs it: the ethernet printers
// dialog holds one while it is open, a board command while it runs.
#include "platform/Sockets.h"

class WinsockSession {
public:
  explicit WinsockSession(platform::Sockets& sockets);
  ~WinsockSession();
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;

  // WSAStartup's error; 0 when Winsock was started.
  int error() const { return error_; }

private:
  platform::Sockets& sockets_;
  int error_;
};

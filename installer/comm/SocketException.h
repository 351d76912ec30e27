#pragma once
// The exception the ethernet operations catch around their socket work; the socket classes
// themselves report failures by result and never raise it.
#include <stdexcept>
#include <string>

class SocketException : public std::runtime_error {
public:
  SocketException(const std::string& what, int error) : std::runtime_error(what), error_(error) {}
  // The Winsock error behind it, 0 when none.
  int error() const { return error_; }

private:
  int error_;
};

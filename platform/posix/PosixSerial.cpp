#include "platform/posix/PosixSerial.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <utility>

namespace platform::posix {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr DWORD kGenFailure = 31;  // ERROR_GEN_FAILURE
constexpr DWORD kMaxDword = 0xFFFFFFFF;

constexpr std::pair<DWORD, speed_t> kSpeeds[] = {
    {110, B110},       {300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},
    {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
    {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

std::optional<speed_t> SpeedOf(DWORD baud) {
  for (const auto& [rate, speed] : kSpeeds)
    if (rate == baud) return speed;
  return std::nullopt;
}

DWORD BaudOf(speed_t speed) {
  for (const auto& [rate, s] : kSpeeds)
    if (s == speed) return rate;
  return 0;
}

DWORD ErrorOf(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
    case ENXIO:
    case ENODEV:
      return winerr::FileNotFound;
    case EACCES:
    case EPERM:
    case EBUSY:
    case EWOULDBLOCK:
      return winerr::AccessDenied;
    case EINVAL:
      return winerr::InvalidParameter;
    default:
      return kGenFailure;
  }
}

// Milliseconds until `deadline` for poll(), rounded up so a wait never ends early; -1 without one.
int PollTimeout(const std::optional<Clock::time_point>& deadline) {
  if (!deadline) return -1;
  const auto left = std::chrono::ceil<milliseconds>(*deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<long long>(left, 0, 1 << 30));
}

std::optional<Clock::time_point> Earliest(std::optional<Clock::time_point> a, std::optional<Clock::time_point> b) {
  if (!a) return b;
  if (!b) return a;
  return std::min(*a, *b);
}

class PosixSerialPort final : public SerialPort {
public:
  explicit PosixSerialPort(int fd) : fd_(fd) {
    termios t{};
    if (::tcgetattr(fd_, &t) == 0) FromTermios(t, state_);
  }
  ~PosixSerialPort() override {
    // Closing drops what is still to be sent, as on Windows; a tty would otherwise wait for it.
    ::tcflush(fd_, TCOFLUSH);
    ::ioctl(fd_, TIOCNXCL);
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
  }

  DWORD SetupComm(DWORD, DWORD) override { return winerr::Success; }  // the driver sizes its own queues

  DWORD PurgeComm(DWORD flags) override {
    if (flags & ~DWORD{0xF}) return winerr::InvalidParameter;
    // Aborting needs nothing: no read or write of this handle is ever in progress during a call.
    if ((flags & purge::TxClear) && ::tcflush(fd_, TCOFLUSH) != 0) return ErrorOf(errno);
    if ((flags & purge::RxClear) && ::tcflush(fd_, TCIFLUSH) != 0) return ErrorOf(errno);
    return winerr::Success;
  }

  DWORD GetCommState(CommState& state) override {
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) return ErrorOf(errno);
    FromTermios(t, state_);
    state = state_;
    return winerr::Success;
  }

  DWORD SetCommState(const CommState& state) override {
    const auto speed = SpeedOf(state.baudRate);
    if (!speed || state.byteSize < 5 || state.byteSize > 8 || state.parity > parity::Space ||
        state.stopBits == stopbits::OnePointFive || state.stopBits > stopbits::Two) {
      return winerr::InvalidParameter;
    }
    termios t{};
    if (::tcgetattr(fd_, &t) != 0) return ErrorOf(errno);
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                                        IXANY | INPCK | IGNPAR);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CREAD | CLOCAL;
    constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= kSizes[state.byteSize - 5];
    switch (state.parity) {
      case parity::Odd: t.c_cflag |= PARENB | PARODD; break;
      case parity::Even: t.c_cflag |= PARENB; break;
      case parity::Mark: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
      case parity::Space: t.c_cflag |= PARENB | CMSPAR; break;
      default: break;
    }
    if (state.parity != parity::None) t.c_iflag |= state.parityCheck ? INPCK : IGNPAR;
    if (state.stopBits == stopbits::Two) t.c_cflag |= CSTOPB;
    // termios has one switch for both directions of the RTS/CTS handshake, and none for DSR flow
    // or DSR sensitivity: those stay in the state the handle reports back.
    if (state.outxCtsFlow || state.rtsControl == rtscontrol::Handshake) t.c_cflag |= CRTSCTS;
    if (state.outX) t.c_iflag |= IXON;
    if (state.inX) t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(state.xonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(state.xoffChar);
    // A read returns what is there at once; the time-outs are kept by poll(), which, unlike
    // VTIME's tenths of a second, gives the total time-out and milliseconds.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::cfsetispeed(&t, *speed) != 0 || ::cfsetospeed(&t, *speed) != 0) return winerr::InvalidParameter;
    if (::tcsetattr(fd_, TCSANOW, &t) != 0) return ErrorOf(errno);
    // Modem lines: a pty has none, so a failure here is no failure of the call.
    const int dtr = TIOCM_DTR, rts = TIOCM_RTS;
    ::ioctl(fd_, state.dtrControl == dtrcontrol::Disable ? TIOCMBIC : TIOCMBIS, &dtr);
    if (state.rtsControl != rtscontrol::Handshake) {
      ::ioctl(fd_, state.rtsControl == rtscontrol::Disable ? TIOCMBIC : TIOCMBIS, &rts);
    }
    state_ = state;
    return winerr::Success;
  }

  DWORD SetCommTimeouts(const CommTimeouts& timeouts) override {
    timeouts_ = timeouts;
    return winerr::Success;
  }

  DWORD WriteFile(std::span<const std::uint8_t> data, DWORD& written) override {
    written = 0;
    const auto start = Clock::now();
    std::optional<Clock::time_point> deadline;
    const std::uint64_t total = std::uint64_t{timeouts_.writeTotalTimeoutMultiplier} * data.size() +
                                timeouts_.writeTotalTimeoutConstant;
    if (total != 0) deadline = start + milliseconds(total);
    while (written < data.size()) {
      const ssize_t n = ::write(fd_, data.data() + written, data.size() - written);
      if (n > 0) {
        written += static_cast<DWORD>(n);
        continue;
      }
      if (n < 0 && errno != EAGAIN && errno != EINTR) return ErrorOf(errno);
      if (deadline && Clock::now() >= *deadline) break;
      pollfd p{fd_, POLLOUT, 0};
      if (::poll(&p, 1, PollTimeout(deadline)) < 0 && errno != EINTR) return ErrorOf(errno);
      if (p.revents & (POLLERR | POLLHUP)) break;
    }
    return winerr::Success;
  }

  DWORD ReadFile(std::span<std::uint8_t> buffer, DWORD& read) override {
    read = 0;
    if (buffer.empty()) return winerr::Success;
    const CommTimeouts& to = timeouts_;
    const auto start = Clock::now();
    // Interval MAXDWORD with no totals: what is there now. With both multiplier and interval
    // MAXDWORD: the same, but wait up to the constant for a first byte.
    const bool atOnce = to.readIntervalTimeout == kMaxDword && to.readTotalTimeoutMultiplier == 0 &&
                        to.readTotalTimeoutConstant == 0;
    const bool firstByteOnly = to.readIntervalTimeout == kMaxDword && to.readTotalTimeoutMultiplier == kMaxDword;
    std::optional<Clock::time_point> totalDeadline;
    if (firstByteOnly) {
      totalDeadline = start + milliseconds(to.readTotalTimeoutConstant);
    } else if (to.readTotalTimeoutMultiplier != 0 || to.readTotalTimeoutConstant != 0) {
      totalDeadline = start + milliseconds(std::uint64_t{to.readTotalTimeoutMultiplier} * buffer.size() +
                                           to.readTotalTimeoutConstant);
    }
    const bool interval = to.readIntervalTimeout != 0 && to.readIntervalTimeout != kMaxDword;
    Clock::time_point lastByte = start;
    for (;;) {
      const ssize_t n = ::read(fd_, buffer.data() + read, buffer.size() - read);
      if (n > 0) {
        read += static_cast<DWORD>(n);
        lastByte = Clock::now();
        if (read == buffer.size() || firstByteOnly) break;
        continue;
      }
      // EIO: the other end of a pty has gone; nothing more will come.
      if (n < 0 && errno == EIO) break;
      if (n < 0 && errno != EAGAIN && errno != EINTR) return ErrorOf(errno);
      if (atOnce) break;
      auto deadline = totalDeadline;
      if (interval && read > 0) deadline = Earliest(deadline, lastByte + milliseconds(to.readIntervalTimeout));
      if (deadline && Clock::now() >= *deadline) break;
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, PollTimeout(deadline)) < 0 && errno != EINTR) return ErrorOf(errno);
      if ((p.revents & (POLLERR | POLLHUP)) && !(p.revents & POLLIN)) break;
    }
    return winerr::Success;
  }

private:
  static void FromTermios(const termios& t, CommState& state) {
    if (const DWORD baud = BaudOf(::cfgetospeed(&t))) state.baudRate = baud;
    switch (t.c_cflag & CSIZE) {
      case CS5: state.byteSize = 5; break;
      case CS6: state.byteSize = 6; break;
      case CS7: state.byteSize = 7; break;
      default: state.byteSize = 8; break;
    }
    if (!(t.c_cflag & PARENB)) {
      state.parity = parity::None;
    } else if (t.c_cflag & CMSPAR) {
      state.parity = (t.c_cflag & PARODD) ? parity::Mark : parity::Space;
    } else {
      state.parity = (t.c_cflag & PARODD) ? parity::Odd : parity::Even;
    }
    state.stopBits = (t.c_cflag & CSTOPB) ? stopbits::Two : stopbits::One;
    state.outX = (t.c_iflag & IXON) != 0;
    state.inX = (t.c_iflag & IXOFF) != 0;
    state.xonChar = static_cast<char>(t.c_cc[VSTART]);
    state.xoffChar = static_cast<char>(t.c_cc[VSTOP]);
  }

  int fd_;
  CommState state_;
  CommTimeouts timeouts_;
};

}  // namespace

DWORD OpenSerialDevice(const std::string& path, std::unique_ptr<SerialPort>& out) {
  out.reset();
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return ErrorOf(errno);
  if (!::isatty(fd)) {
    ::close(fd);
    return winerr::FileNotFound;
  }
  // TIOCEXCL keeps other programs from opening the device, but not root; the lock holds for every
  // program that asks for it the same way.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    return ErrorOf(error);
  }
  ::ioctl(fd, TIOCEXCL);
  out = std::make_unique<PosixSerialPort>(fd);
  return winerr::Success;
}

}  // namespace platform::posix

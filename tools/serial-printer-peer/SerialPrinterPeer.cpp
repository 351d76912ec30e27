// A serial printer at the far end of a pty, for tests and for trying the detection by hand.
// Prints the pty's device path on one line of stdout, then answers as the printer of
// platform/sim/PrinterPeer.h while the line is set to its rate and 8N1. Ends when stdin closes or
// after --max-seconds.
//
//   serial-printer-peer [--baud N] [--silent] [--echo] [--delay-ms N] [--max-seconds N] [--verbose]
//
// --silent never answers; --echo sends back every byte it receives (before any answer);
// --delay-ms waits that long before answering.
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/sim/PrinterPeer.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  long baud = 9600;
  bool silent = false;
  bool echo = false;
  long delayMs = 0;
  long maxSeconds = 60;
  bool verbose = false;
};

[[noreturn]] void Usage(const char* problem) {
  std::fprintf(stderr,
               "serial-printer-peer: %s\nusage: serial-printer-peer [--baud N] [--silent] [--echo] [--delay-ms N] "
               "[--max-seconds N] [--verbose]\n",
               problem);
  std::exit(2);
}

long Number(int argc, char** argv, int& i) {
  if (i + 1 >= argc) Usage("a number must follow the option");
  char* end = nullptr;
  const long value = std::strtol(argv[++i], &end, 10);
  if (*end != '\0' || value < 0) Usage("not a number");
  return value;
}

Options Parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--baud") o.baud = Number(argc, argv, i);
    else if (a == "--silent") o.silent = true;
    else if (a == "--echo") o.echo = true;
    else if (a == "--delay-ms") o.delayMs = Number(argc, argv, i);
    else if (a == "--max-seconds") o.maxSeconds = Number(argc, argv, i);
    else if (a == "--verbose") o.verbose = true;
    else Usage("unknown option");
  }
  return o;
}

long BaudOf(speed_t speed) {
  constexpr std::pair<speed_t, long> kSpeeds[] = {
      {B1200, 1200},   {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},
      {B38400, 38400}, {B57600, 57600}, {B115200, 115200}, {B230400, 230400}, {B460800, 460800},
  };
  for (const auto& [s, baud] : kSpeeds)
    if (s == speed) return baud;
  return -1;
}

void WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const Options o = Parse(argc, argv);
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
    std::perror("serial-printer-peer: no pty");
    return 1;
  }
  const char* slaveName = ::ptsname(master);
  // Held open for the whole run: the line keeps its settings between the other side's opens, and
  // the master never sees a hang-up when the other side closes.
  const int slave = slaveName ? ::open(slaveName, O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
  if (slave < 0) {
    std::perror("serial-printer-peer: cannot open the pty's device");
    return 1;
  }
  termios raw{};
  ::tcgetattr(slave, &raw);
  ::cfmakeraw(&raw);
  ::tcsetattr(slave, TCSANOW, &raw);
  std::printf("%s\n", slaveName);
  std::fflush(stdout);

  const auto end = Clock::now() + std::chrono::seconds(o.maxSeconds);
  platform::sim::PrinterPeer printer;
  for (;;) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now()).count();
    if (left <= 0) break;
    pollfd fds[2] = {{master, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    if (::poll(fds, 2, static_cast<int>(std::min<long long>(left, 1000))) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
      char discard[256];
      if (::read(STDIN_FILENO, discard, sizeof discard) <= 0) break;
    }
    if (!(fds[0].revents & POLLIN)) continue;
    std::uint8_t bytes[256];
    const ssize_t n = ::read(master, bytes, sizeof bytes);
    if (n <= 0) continue;
    if (o.echo) WriteAll(master, bytes, static_cast<std::size_t>(n));
    // The other side's settings, as the master sees the line.
    termios line{};
    ::tcgetattr(master, &line);
    const long baud = BaudOf(::cfgetospeed(&line));
    const bool framed =
        baud == o.baud && (line.c_cflag & CSIZE) == CS8 && !(line.c_cflag & PARENB) && !(line.c_cflag & CSTOPB);
    if (o.verbose && !framed) std::fprintf(stderr, "serial-printer-peer: %zd bytes at %ld ignored\n", n, baud);
    for (ssize_t i = 0; i < n; ++i) {
      const auto answer = printer.Hear(bytes[i], framed);
      if (answer.empty()) continue;
      if (o.verbose) std::fprintf(stderr, "serial-printer-peer: probe at %ld\n", baud);
      if (o.silent) continue;
      if (o.delayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(o.delayMs));
      WriteAll(master, answer.data(), answer.size());
    }
  }
  ::close(slave);
  ::close(master);
  return 0;
}

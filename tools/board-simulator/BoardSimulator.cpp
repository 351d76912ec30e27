// Ethernet interface boards on a real UDP socket, for tests inside a private network namespace
// and for trying the search by hand: both kinds, several boards, each answering the search of
// its kind and taking the configuration requests addressed to it. Changed settings last while it
// runs (and are printed). Replies go back to the sender's address and port.
//
//   kvx-board-simulator [--address A.B.C.D] [--port N] [--boards FILE] [--board JSON]...
//                       [--max-seconds N] [--verbose]
//
// FILE holds {"boards": [...]} as machine.json does, or just the list; --board adds one board
// object; without either, one board of each kind. The "adapter" member is ignored: every board
// hears every datagram. Prints "ready A.B.C.D:N" once bound; ends when stdin closes or after
// --max-seconds (default 60).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sim/BoardPeer.h"
#include "platform/sim/MachineFileError.h"

namespace {

using platform::sim::Board;
using SteadyClock = std::chrono::steady_clock;

constexpr const char* kDefaultBoards = R"([
  {"kind": "ostrel", "mac": "02-00-4B-56-58-20", "ip": "192.0.2.40", "mask": "255.255.255.0", "gateway": "192.0.2.1", "port": 9100, "dhcp": false},
  {"kind": "lindor", "mac": "02-00-4B-56-58-30", "ip": "192.0.2.50", "mask": "255.255.255.0", "gateway": "192.0.2.1", "port": 9100, "dhcp": false}
])";

struct Options {
  std::string address = "0.0.0.0";
  long port = 1460;
  long maxSeconds = 60;
  bool verbose = false;
  std::vector<Board> boards;
};

[[noreturn]] void Usage(const std::string& problem) {
  std::fprintf(stderr,
               "kvx-board-simulator: %s\nusage: kvx-board-simulator [--address A.B.C.D] [--port N] [--boards FILE] "
               "[--board JSON]... [--max-seconds N] [--verbose]\n",
               problem.c_str());
  std::exit(2);
}

const char* Value(int argc, char** argv, int& i) {
  if (i + 1 >= argc) Usage(std::string("a value must follow ") + argv[i]);
  return argv[++i];
}

long Number(const char* text, long max) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (*end != '\0' || value < 0 || value > max) Usage(std::string("not a number in range: ") + text);
  return value;
}

void AddBoards(const nlohmann::ordered_json& document, const std::string& label, std::vector<Board>& boards) {
  const nlohmann::ordered_json& list = document.is_object() && document.contains("boards") ? document["boards"] : document;
  if (!list.is_array()) Usage(label + ": expected a list of boards or {\"boards\": [...]}");
  for (std::size_t i = 0; i < list.size(); ++i)
    boards.push_back(platform::sim::ParseBoard(list[i], label, "boards[" + std::to_string(i) + "]"));
}

nlohmann::ordered_json ParseJson(const std::string& text, const std::string& label) {
  auto document = nlohmann::ordered_json::parse(text, nullptr, false);
  if (document.is_discarded()) Usage(label + ": not valid JSON");
  return document;
}

Options Parse(int argc, char** argv) {
  Options o;
  bool given = false;
  try {
    for (int i = 1; i < argc; ++i) {
      const std::string a = argv[i];
      if (a == "--address") o.address = Value(argc, argv, i);
      else if (a == "--port") o.port = Number(Value(argc, argv, i), 65535);
      else if (a == "--max-seconds") o.maxSeconds = Number(Value(argc, argv, i), 86400);
      else if (a == "--verbose") o.verbose = true;
      else if (a == "--boards") {
        const std::string path = Value(argc, argv, i);
        std::ifstream in(path);
        if (!in) Usage(path + ": cannot be read");
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        AddBoards(ParseJson(text, path), path, o.boards);
        given = true;
      } else if (a == "--board") {
        AddBoards(nlohmann::ordered_json::array({ParseJson(Value(argc, argv, i), "--board")}), "--board", o.boards);
        given = true;
      } else {
        Usage("unknown option " + a);
      }
    }
    if (!given) AddBoards(ParseJson(kDefaultBoards, "default boards"), "default boards", o.boards);
  } catch (const platform::sim::MachineFileError& e) {
    Usage(e.what());
  }
  return o;
}

std::string SettingsLine(const Board& board) {
  return platform::sim::MacText(board.mac) + " " + platform::sim::Ipv4Text(board.ip) + " " +
         platform::sim::Ipv4Text(board.mask) + " " + platform::sim::Ipv4Text(board.gateway) + " " +
         std::to_string(board.port) + " " + (board.dhcp ? "dhcp" : "static");
}

struct Pending {
  SteadyClock::time_point due;
  sockaddr_in to;
  std::vector<std::uint8_t> bytes;
};

}  // namespace

int main(int argc, char** argv) {
  Options o = Parse(argc, argv);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(static_cast<std::uint16_t>(o.port));
  if (inet_pton(AF_INET, o.address.c_str(), &local.sin_addr) != 1) Usage("not an IPv4 address: " + o.address);
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  const int on = 1;
  if (fd < 0 || setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
      bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    std::fprintf(stderr, "kvx-board-simulator: cannot bind %s:%ld: %s\n", o.address.c_str(), o.port, std::strerror(errno));
    return 1;
  }
  std::printf("ready %s:%ld\n", o.address.c_str(), o.port);
  std::fflush(stdout);

  std::vector<Board*> boards;
  for (Board& board : o.boards) boards.push_back(&board);
  std::vector<Pending> pending;  // replies not yet due, in no order
  const auto end = SteadyClock::now() + std::chrono::seconds(o.maxSeconds);
  std::vector<std::uint8_t> buffer(65536);
  bool stdinOpen = true;
  while (SteadyClock::now() < end) {
    auto wake = end;
    for (const Pending& reply : pending) wake = std::min(wake, reply.due);
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(wake - SteadyClock::now()).count();
    pollfd watched[2] = {{fd, POLLIN, 0}, {stdinOpen ? 0 : -1, POLLIN, 0}};
    if (poll(watched, 2, static_cast<int>(std::clamp<long long>(wait + 1, 0, 1000))) < 0 && errno != EINTR) break;

    if ((watched[1].revents & (POLLIN | POLLHUP)) != 0) {
      char sink[256];
      if (read(0, sink, sizeof sink) <= 0) break;  // stdin closed: the caller is done with us
    }
    if ((watched[0].revents & POLLIN) != 0) {
      sockaddr_in from{};
      socklen_t size = sizeof from;
      const ssize_t got = recvfrom(fd, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &size);
      if (got >= 0) {
        const std::span<const std::uint8_t> request(buffer.data(), static_cast<std::size_t>(got));
        std::vector<std::size_t> changed;
        const auto now = SteadyClock::now();
        for (platform::sim::BoardReply& reply : platform::sim::AnswerRequest(boards, request, &changed))
          pending.push_back({now + std::chrono::milliseconds(reply.delayMs), from, std::move(reply.bytes)});
        if (o.verbose)
          std::fprintf(stderr, "request of %zd bytes from %s:%u\n", got, inet_ntoa(from.sin_addr), ntohs(from.sin_port));
        for (std::size_t index : changed) std::printf("changed %s\n", SettingsLine(*boards[index]).c_str());
        std::fflush(stdout);
      }
    }
    const auto now = SteadyClock::now();
    for (auto it = pending.begin(); it != pending.end();) {
      if (it->due > now) {
        ++it;
        continue;
      }
      if (sendto(fd, it->bytes.data(), it->bytes.size(), 0, reinterpret_cast<const sockaddr*>(&it->to), sizeof it->to) < 0)
        std::fprintf(stderr, "kvx-board-simulator: reply not sent: %s\n", std::strerror(errno));
      it = pending.erase(it);
    }
  }
  close(fd);
  return 0;
}

#include "app/BoardCommands.h"

#include <array>
#include <cstdio>
#include <ostream>
#include <optional>
#include <utility>
#include <vector>

#include "app/ExitCodes.h"
#include "comm/BoardProtocol.h"

namespace {

using Octets = std::array<std::uint8_t, 4>;
using Mac = std::array<std::uint8_t, 6>;

constexpr platform::WORD kWinsockVersion = 0x0202;

// Winsock in effect while a command runs, as the ethernet printers dialog holds it while it lives.
class WinsockSession {
public:
  explicit WinsockSession(platform::Sockets& sockets) : sockets_(sockets), error_(sockets.WSAStartup(kWinsockVersion)) {}
  ~WinsockSession() {
    if (error_ == 0) (void)sockets_.WSACleanup();  // the session ends either way
  }
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
  int error() const { return error_; }

private:
  platform::Sockets& sockets_;
  int error_;
};

std::vector<std::int32_t> KindsToSearch(const std::string& kind) {
  if (kind == "ostrel") return {boardkind::Ostrel};
  if (kind == "lindor") return {boardkind::Lindor};
  return {boardkind::Ostrel, boardkind::Lindor};
}

std::vector<BoardList> Search(const ProgramOptions& options, ProgramEnvironment& env) {
  std::vector<BoardList> found;
  std::string localAddress;
  for (std::int32_t kind : KindsToSearch(options.boardKind))
    found.push_back(DiscoverBoards(env.platform, [] {}, kind, localAddress));
  return found;
}

template <typename ByteOf>
std::string Dotted(ByteOf byteOf) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", byteOf(0), byteOf(1), byteOf(2), byteOf(3));
  return text;
}

std::string MacText(const TypeBoardInfo& board) {
  char text[18];
  std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", board.MacByte(0), board.MacByte(1),
                board.MacByte(2), board.MacByte(3), board.MacByte(4), board.MacByte(5));
  return text;
}

std::string SettingsLine(const std::string& mac, const Octets& ip, const Octets& mask, const Octets& gateway,
                         std::uint16_t port, bool dhcp) {
  const auto dotted = [](const Octets& octets) { return Dotted([&](std::uint8_t i) { return octets[i]; }); };
  return mac + ' ' + dotted(ip) + ' ' + dotted(mask) + ' ' + dotted(gateway) + ' ' + std::to_string(port) + ' ' +
         (dhcp ? "dhcp" : "static");
}

Octets OctetsOf(const TypeBoardInfo& board, std::uint8_t (TypeBoardInfo::*byteOf)(std::uint8_t) const) {
  return {(board.*byteOf)(0), (board.*byteOf)(1), (board.*byteOf)(2), (board.*byteOf)(3)};
}

std::string BoardLine(const TypeBoardInfo& board) {
  return SettingsLine(MacText(board), OctetsOf(board, &TypeBoardInfo::IpByte), OctetsOf(board, &TypeBoardInfo::MaskByte),
                      OctetsOf(board, &TypeBoardInfo::GatewayByte), board.Port(), board.DhcpEnabled());
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// "02:00:4B:56:58:30" or "02-00-4B-56-58-30", either case.
std::optional<Mac> ParseMac(const std::string& text) {
  if (text.size() != 17 || (text[2] != ':' && text[2] != '-')) return std::nullopt;
  Mac mac{};
  for (std::size_t i = 0; i < 6; ++i) {
    if (i > 0 && text[3 * i - 1] != text[2]) return std::nullopt;
    unsigned value = 0;
    for (char c : text.substr(3 * i, 2)) {
      const int digit = HexDigit(c);
      if (digit < 0) return std::nullopt;
      value = value * 16 + static_cast<unsigned>(digit);
    }
    mac[i] = static_cast<std::uint8_t>(value);
  }
  return mac;
}

// The option's address (checked by the option parser), or the board's own.
Octets AddressOr(const std::string& option, const Octets& own) {
  unsigned parts[4] = {};
  if (option.empty() || std::sscanf(option.c_str(), "%u.%u.%u.%u", &parts[0], &parts[1], &parts[2], &parts[3]) != 4)
    return own;
  Octets octets{};
  for (std::size_t i = 0; i < 4; ++i) octets[i] = static_cast<std::uint8_t>(parts[i]);
  return octets;
}

}  // namespace

int FindBoardsCommand(const ProgramOptions& options, ProgramEnvironment& env) {
  WinsockSession winsock(env.platform.sockets);
  if (winsock.error() != 0) {
    env.err << "the network cannot be used (Winsock error " << winsock.error() << ")\n";
    return kExitNotInstalled;
  }
  std::size_t count = 0;
  for (const BoardList& boards : Search(options, env)) {
    for (const auto& board : boards) env.out << BoardLine(*board) << '\n';
    count += boards.size();
  }
  if (count == 0) env.err << "no board answered\n";
  return kExitInstalled;
}

int SetBoardCommand(const ProgramOptions& options, ProgramEnvironment& env) {
  const std::optional<Mac> mac = ParseMac(options.setBoard);
  if (!mac) {
    env.err << "--set-board: \"" << options.setBoard << "\" is not a MAC address such as 02:00:4B:56:58:30\n";
    return kExitSetupError;
  }
  if (options.boardIp.empty() && options.boardMask.empty() && options.boardGateway.empty() &&
      options.boardPort.empty() && options.boardDhcp.empty()) {
    env.err << "--set-board needs at least one of --board-ip, --board-mask, --board-gateway, --board-port, --board-dhcp\n";
    return kExitSetupError;
  }
  WinsockSession winsock(env.platform.sockets);
  if (winsock.error() != 0) {
    env.err << "the network cannot be used (Winsock error " << winsock.error() << ")\n";
    return kExitNotInstalled;
  }
  // Kind by kind: a board found needs no search for the other kind.
  std::string localAddress;
  for (std::int32_t kind : KindsToSearch(options.boardKind)) {
    BoardList boards = DiscoverBoards(env.platform, [] {}, kind, localAddress);
    for (auto& board : boards) {
      bool same = true;
      for (std::uint8_t i = 0; i < 6; ++i) same = same && board->MacByte(i) == (*mac)[i];
      if (!same) continue;
      // The configuration request of an Ostrel board sends its DHCP byte back as it came.
      if (kind == boardkind::Ostrel && !options.boardDhcp.empty() &&
          (options.boardDhcp == "on") != board->DhcpEnabled()) {
        env.err << "--board-dhcp: an Ostrel board's DHCP use cannot be changed\n";
        return kExitSetupError;
      }
      const Octets ip = AddressOr(options.boardIp, OctetsOf(*board, &TypeBoardInfo::IpByte));
      const Octets mask = AddressOr(options.boardMask, OctetsOf(*board, &TypeBoardInfo::MaskByte));
      const Octets gateway = AddressOr(options.boardGateway, OctetsOf(*board, &TypeBoardInfo::GatewayByte));
      const auto port =
          options.boardPort.empty() ? board->Port() : static_cast<std::uint16_t>(std::stoul(options.boardPort));
      const bool dhcp = options.boardDhcp.empty() ? board->DhcpEnabled() : options.boardDhcp == "on";
      const std::string macText = MacText(*board);
      // The dialog's waits that follow pass in silence otherwise.
      env.err << "sending the settings to " << macText
              << ", then waiting for the board to take them (4 s per network adapter and 6 s more)" << std::endl;
      if (SendBoardSettings(env.platform, [] {}, kind, *board, ip, mask, gateway, port, dhcp) ==
          BoardSettingsResult::Refused) {
        env.err << "refused: an IP address cannot start with 0\n";
        return kExitNotInstalled;
      }
      // What was sent, not the record: a Lindor record now holds the port in the request's byte order.
      env.out << "sent " << SettingsLine(macText, ip, mask, gateway, port, dhcp) << '\n';
      return kExitInstalled;
    }
  }
  env.err << "board " << options.setBoard << " not found\n";
  return kExitNotInstalled;
}

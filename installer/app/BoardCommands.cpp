#include "app/BoardCommands.h"

#include <ostream>
#include <optional>
#include <vector>

#include "app/ExitCodes.h"
#include "comm/AddressText.h"
#include "comm/BoardProtocol.h"
#include "comm/WinsockSession.h"

namespace {

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

// False, and says why, when the network cannot be used.
bool Started(const WinsockSession& winsock, ProgramEnvironment& env) {
  if (winsock.error() == 0) return true;
  env.err << "the network cannot be used (Winsock error " << winsock.error() << ")\n";
  return false;
}

std::string SettingsLine(const std::string& mac, const Octets& ip, const Octets& mask, const Octets& gateway,
                         std::uint16_t port, bool dhcp) {
  return mac + ' ' + DottedQuad(ip) + ' ' + DottedQuad(mask) + ' ' + DottedQuad(gateway) + ' ' + std::to_string(port) +
         ' ' + (dhcp ? "dhcp" : "static");
}

std::string BoardLine(const TypeBoardInfo& board) {
  return SettingsLine(MacText(board.Mac()), board.Ip(), board.Mask(), board.Gateway(), board.Port(),
                      board.DhcpEnabled());
}

// The option's address (checked by the option parser), or the board's own.
Octets AddressOr(const std::string& option, const Octets& own) { return ParseDottedQuad(option).value_or(own); }

}  // namespace

int FindBoardsCommand(const ProgramOptions& options, ProgramEnvironment& env) {
  const WinsockSession winsock(env.platform.sockets);
  if (!Started(winsock, env)) return kExitNotInstalled;
  std::size_t count = 0;
  for (const BoardList& boards : Search(options, env)) {
    for (const auto& board : boards) env.out << BoardLine(*board) << '\n';
    count += boards.size();
  }
  if (count == 0) env.err << "no board answered\n";
  return kExitInstalled;
}

int SetBoardCommand(const ProgramOptions& options, ProgramEnvironment& env) {
  const std::optional<MacAddress> mac = ParseMac(options.setBoard);
  if (!mac) {
    env.err << "--set-board: \"" << options.setBoard << "\" is not a MAC address such as 02:00:4B:56:58:30\n";
    return kExitSetupError;
  }
  if (options.boardIp.empty() && options.boardMask.empty() && options.boardGateway.empty() &&
      options.boardPort.empty() && options.boardDhcp.empty()) {
    env.err << "--set-board needs at least one of --board-ip, --board-mask, --board-gateway, --board-port, --board-dhcp\n";
    return kExitSetupError;
  }
  const WinsockSession winsock(env.platform.sockets);
  if (!Started(winsock, env)) return kExitNotInstalled;
  // Kind by kind: a board found needs no search for the other kind.
  std::string localAddress;
  for (std::int32_t kind : KindsToSearch(options.boardKind)) {
    BoardList boards = DiscoverBoards(env.platform, [] {}, kind, localAddress);
    for (auto& board : boards) {
      if (board->Mac() != *mac) continue;
      // The configuration request of an Ostrel board sends its DHCP byte back as it came.
      if (kind == boardkind::Ostrel && !options.boardDhcp.empty() &&
          (options.boardDhcp == "on") != board->DhcpEnabled()) {
        env.err << "--board-dhcp: an Ostrel board's DHCP use cannot be changed\n";
        return kExitSetupError;
      }
      const Octets ip = AddressOr(options.boardIp, board->Ip());
      const Octets mask = AddressOr(options.boardMask, board->Mask());
      const Octets gateway = AddressOr(options.boardGateway, board->Gateway());
      const auto port =
          options.boardPort.empty() ? board->Port() : static_cast<std::uint16_t>(std::stoul(options.boardPort));
      const bool dhcp = options.boardDhcp.empty() ? board->DhcpEnabled() : options.boardDhcp == "on";
      const std::string macText = MacText(board->Mac());
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

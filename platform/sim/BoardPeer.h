#pragma once
// An ethernet interface board as it answers on the wire, without any I/O: the simulated machine's
// network and the UDP board simulator in tools/ both carry its datagrams.
//
// A board in JSON (machine.json "boards", and the simulator's board file):
//   {"kind": "lindor"|"ostrel", "mac": "02-00-4B-56-58-30", "ip": "192.0.2.50",
//    "mask": "255.255.255.0", "gateway": "192.0.2.1", "port": 9100, "dhcp": false,
//    "adapter": "Ethernet" (or a list: the board answers on each of those networks),
//    "opaque": "hex bytes" (the bytes of its record that the installer does not interpret),
//    "answers": 1, "delayMs": 20, "packWith": "02-00-4B-56-58-31", "replyBytes": 49,
//    "garbage": false, "trailer": "hex bytes"}
// Everything after "dhcp" is optional; the behaviour switches shape what a search gets back.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace platform::sim {

enum class BoardKind { Ostrel, Lindor };

using Mac = std::array<std::uint8_t, 6>;
using Ipv4 = std::array<std::uint8_t, 4>;

// Wire sizes of the two kinds' reply records, configuration requests and opaque bytes.
constexpr std::size_t kOstrelRecordSize = 49;
constexpr std::size_t kLindorRecordSize = 34;
constexpr std::size_t kOstrelSetSize = 49;
constexpr std::size_t kLindorSaveSize = 33;
// Ostrel: offsets 10, 25..45 and 47..48 of the record; Lindor: offsets 17..18.
constexpr std::size_t kOstrelOpaqueSize = 24;
constexpr std::size_t kLindorOpaqueSize = 2;

struct BoardBehaviour {
  unsigned answers = 1;        // copies of the reply to each search; 0: the board stays silent
  std::uint32_t delayMs = 20;  // from the request to the reply's arrival
  // MAC of another board whose reply record is sent inside this board's datagram, after this
  // board's record (that board then sends no datagram of its own for that search).
  std::optional<Mac> packWith;
  // Only the first replyBytes bytes of each reply datagram are sent (a datagram shorter than a record).
  std::optional<std::size_t> replyBytes;
  bool garbage = false;               // a record-sized datagram without the token comes first
  std::vector<std::uint8_t> trailer;  // bytes appended to each reply datagram
};

struct Board {
  BoardKind kind = BoardKind::Lindor;
  Mac mac{};
  Ipv4 ip{};
  Ipv4 mask{255, 255, 255, 0};
  Ipv4 gateway{};
  std::uint16_t port = 9100;
  bool dhcp = false;
  std::vector<std::string> adapters{"Ethernet"};
  std::vector<std::uint8_t> opaque;  // kOstrelOpaqueSize or kLindorOpaqueSize bytes
  BoardBehaviour behaviour;

  // The record this board sends in reply to a search.
  std::vector<std::uint8_t> Record() const;
  // What this board alone does with a datagram sent to port 1460: its reply datagrams to a search
  // of its kind, nothing otherwise; a configuration request of its kind addressed to its MAC
  // changes its settings (and returns true through `changed`).
  std::vector<std::vector<std::uint8_t>> HandleRequest(std::span<const std::uint8_t> request, bool* changed = nullptr);
};

// One datagram a board sends back, `delayMs` after the request.
struct BoardReply {
  std::size_t board = 0;  // index of the sender in the list given to AnswerRequest
  std::uint32_t delayMs = 0;
  std::vector<std::uint8_t> bytes;
};

// Every board that hears `request` handles it, and "packWith" joins records: the replies of all,
// in board order. `changed` receives the indexes of boards whose settings changed.
std::vector<BoardReply> AnswerRequest(std::span<Board* const> boards, std::span<const std::uint8_t> request,
                                      std::vector<std::size_t>* changed = nullptr);

// "02-00-4B-56-58-30" (or with ':'); std::nullopt for any other text.
std::optional<Mac> ParseMac(const std::string& text);
std::string MacText(const Mac& mac);                     // with '-' and upper-case digits
std::optional<Ipv4> ParseIpv4(const std::string& text);  // exactly "a.b.c.d", each 0..255
std::string Ipv4Text(const Ipv4& address);

// A board from its JSON object; throws MachineFileError naming `field` (e.g. "boards[0].ip") and
// the problem for anything malformed or unknown.
Board ParseBoard(const nlohmann::ordered_json& j, const std::string& label, const std::string& field);
// Writes the board's settings (those a configuration request changes) into its JSON object,
// leaving the other members as they are.
void StoreBoardSettings(const Board& board, nlohmann::ordered_json& j);

}  // namespace platform::sim

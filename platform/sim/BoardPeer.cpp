#include "platform/sim/BoardPeer.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "platform/sim/JsonReader.h"

namespace platform::sim {

namespace {

constexpr std::string_view kOstrelSearch = "FIND";
constexpr std::string_view kOstrelReply = "IMIN";
constexpr std::string_view kOstrelSet = "SETT";
constexpr std::string_view kLindorSearch = "RQ7200FIND";
constexpr std::string_view kLindorReply = "RQ7200FOUND";
constexpr std::string_view kLindorSave = "RQ7200SAVE";

constexpr unsigned kMaxAnswers = 16;
constexpr std::uint32_t kMaxDelayMs = 600000;
constexpr std::size_t kMaxDatagram = 65507;
constexpr std::size_t kMaxTrailer = 1024;

// Ostrel record offsets of the opaque bytes, in the order they are kept.
constexpr std::array<std::size_t, kOstrelOpaqueSize> kOstrelOpaqueOffsets = {
    10, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 47, 48};
constexpr std::array<std::size_t, kLindorOpaqueSize> kLindorOpaqueOffsets = {17, 18};

using Bytes = std::vector<std::uint8_t>;

bool Equals(std::span<const std::uint8_t> bytes, std::string_view text) {
  return bytes.size() == text.size() && std::equal(text.begin(), text.end(), bytes.begin(), [](char c, std::uint8_t b) {
           return static_cast<std::uint8_t>(c) == b;
         });
}

bool StartsWith(std::span<const std::uint8_t> bytes, std::string_view text) {
  return bytes.size() >= text.size() && Equals(bytes.first(text.size()), text);
}

void Put(Bytes& out, std::size_t offset, std::span<const std::uint8_t> bytes) {
  std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(offset));
}

void PutText(Bytes& out, std::string_view text) {
  std::transform(text.begin(), text.end(), out.begin(), [](char c) { return static_cast<std::uint8_t>(c); });
}

template <std::size_t N>
std::array<std::uint8_t, N> Take(std::span<const std::uint8_t> bytes, std::size_t offset) {
  std::array<std::uint8_t, N> out{};
  std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), N, out.begin());
  return out;
}

bool IsSearch(const Board& board, std::span<const std::uint8_t> request) {
  return Equals(request, board.kind == BoardKind::Ostrel ? kOstrelSearch : kLindorSearch);
}

// The configuration request of the board's kind addressed to it, applied; false when it is not one.
bool ApplySettings(Board& board, std::span<const std::uint8_t> request) {
  if (board.kind == BoardKind::Ostrel) {
    if (request.size() != kOstrelSetSize || !StartsWith(request, kOstrelSet) || Take<6>(request, 4) != board.mac) {
      return false;
    }
    board.ip = Take<4>(request, 11);
    board.mask = Take<4>(request, 15);
    board.gateway = Take<4>(request, 19);
    board.port = static_cast<std::uint16_t>(request[23] << 8 | request[24]);
    board.dhcp = request[46] != 0;
    board.opaque.resize(kOstrelOpaqueSize);
    for (std::size_t i = 0; i < kOstrelOpaqueSize; ++i) board.opaque[i] = request[kOstrelOpaqueOffsets[i]];
    return true;
  }
  if (request.size() != kLindorSaveSize || !StartsWith(request, kLindorSave) || Take<6>(request, 10) != board.mac) {
    return false;
  }
  // Bytes 16 and 17 are the request's own control bytes, not the record's opaque bytes.
  board.ip = Take<4>(request, 18);
  board.mask = Take<4>(request, 22);
  board.gateway = Take<4>(request, 26);
  board.port = static_cast<std::uint16_t>(request[30] << 8 | request[31]);
  board.dhcp = request[32] != 0;
  return true;
}

Bytes Garbage(const Board& board) {
  Bytes bytes(board.kind == BoardKind::Ostrel ? kOstrelRecordSize : kLindorRecordSize, 0xEE);
  PutText(bytes, "NOPE");
  return bytes;
}

// The behaviour switches applied to the records of one reply.
std::vector<Bytes> Shape(const Board& board, Bytes records) {
  std::vector<Bytes> out;
  const BoardBehaviour& b = board.behaviour;
  if (b.garbage) out.push_back(Garbage(board));
  records.insert(records.end(), b.trailer.begin(), b.trailer.end());
  if (b.replyBytes && *b.replyBytes < records.size()) records.resize(*b.replyBytes);
  for (unsigned i = 0; i < b.answers; ++i) out.push_back(records);
  return out;
}

std::string HexText(std::span<const std::uint8_t> bytes) {
  std::string text;
  for (std::uint8_t b : bytes) {
    char part[4];
    std::snprintf(part, sizeof part, "%.2X", b);
    if (!text.empty()) text += ' ';
    text += part;
  }
  return text;
}

std::optional<Bytes> ParseHex(const std::string& text) {
  Bytes bytes;
  int high = -1;
  for (char c : text) {
    int v;
    if (c >= '0' && c <= '9') {
      v = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      v = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      v = c - 'A' + 10;
    } else if (c == ' ' && high < 0) {
      continue;
    } else {
      return std::nullopt;
    }
    if (high < 0) {
      high = v;
    } else {
      bytes.push_back(static_cast<std::uint8_t>(high << 4 | v));
      high = -1;
    }
  }
  if (high >= 0) return std::nullopt;
  return bytes;
}

// A whole number as JsonReader::Dword takes it, also when a program (not the file) set it as a signed one.
DWORD Whole(const JsonReader& reader, const nlohmann::ordered_json& j, const std::string& field, DWORD max) {
  if (j.is_number_integer() && !j.is_number_unsigned() && j.get<std::int64_t>() >= 0) {
    return reader.Dword(nlohmann::ordered_json(j.get<std::uint64_t>()), field, max);
  }
  return reader.Dword(j, field, max);
}

Bytes DefaultOpaque(BoardKind kind) {
  Bytes bytes(kind == BoardKind::Ostrel ? kOstrelOpaqueSize : kLindorOpaqueSize);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(0x30 + i);
  return bytes;
}

}  // namespace

std::vector<std::uint8_t> Board::Record() const {
  if (kind == BoardKind::Ostrel) {
    Bytes r(kOstrelRecordSize, 0);
    PutText(r, kOstrelReply);
    Put(r, 4, mac);
    Put(r, 11, ip);
    Put(r, 15, mask);
    Put(r, 19, gateway);
    r[23] = static_cast<std::uint8_t>(port >> 8);
    r[24] = static_cast<std::uint8_t>(port & 0xFF);
    r[46] = dhcp ? 1 : 0;
    for (std::size_t i = 0; i < kOstrelOpaqueSize && i < opaque.size(); ++i) r[kOstrelOpaqueOffsets[i]] = opaque[i];
    return r;
  }
  Bytes r(kLindorRecordSize, 0);
  PutText(r, kLindorReply);
  Put(r, 11, mac);
  Put(r, 19, ip);
  Put(r, 23, mask);
  Put(r, 27, gateway);
  r[31] = static_cast<std::uint8_t>(port & 0xFF);
  r[32] = static_cast<std::uint8_t>(port >> 8);
  r[33] = dhcp ? 1 : 0;
  for (std::size_t i = 0; i < kLindorOpaqueSize && i < opaque.size(); ++i) r[kLindorOpaqueOffsets[i]] = opaque[i];
  return r;
}

std::vector<std::vector<std::uint8_t>> Board::HandleRequest(std::span<const std::uint8_t> request, bool* changed) {
  if (changed) *changed = false;
  if (IsSearch(*this, request)) return Shape(*this, Record());
  const bool applied = ApplySettings(*this, request);
  if (changed) *changed = applied;
  return {};
}

std::vector<BoardReply> AnswerRequest(std::span<Board* const> boards, std::span<const std::uint8_t> request,
                                      std::vector<std::size_t>* changed) {
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  const std::size_t n = boards.size();
  std::vector<bool> searched(n), packed(n);
  std::vector<std::size_t> partner(n, kNone);
  for (std::size_t i = 0; i < n; ++i) {
    searched[i] = IsSearch(*boards[i], request);
    if (!searched[i] && ApplySettings(*boards[i], request) && changed) changed->push_back(i);
  }
  for (std::size_t i = 0; i < n; ++i) {
    if (!searched[i] || packed[i] || !boards[i]->behaviour.packWith) continue;
    for (std::size_t j = 0; j < n; ++j) {
      if (j != i && searched[j] && !packed[j] && partner[j] == kNone &&
          boards[j]->mac == *boards[i]->behaviour.packWith) {
        partner[i] = j;
        packed[j] = true;
        break;
      }
    }
  }
  std::vector<BoardReply> replies;
  for (std::size_t i = 0; i < n; ++i) {
    if (!searched[i] || packed[i]) continue;
    Bytes records = boards[i]->Record();
    if (partner[i] != kNone) {
      const Bytes other = boards[partner[i]]->Record();
      records.insert(records.end(), other.begin(), other.end());
    }
    for (Bytes& bytes : Shape(*boards[i], std::move(records))) {
      replies.push_back({i, boards[i]->behaviour.delayMs, std::move(bytes)});
    }
  }
  return replies;
}

std::optional<Mac> ParseMac(const std::string& text) {
  if (text.size() != 17) return std::nullopt;
  const char separator = text[2];
  if (separator != '-' && separator != ':') return std::nullopt;
  Mac mac{};
  for (std::size_t i = 0; i < 6; ++i) {
    if (i > 0 && text[i * 3 - 1] != separator) return std::nullopt;
    const auto byte = ParseHex(text.substr(i * 3, 2));
    if (!byte || byte->size() != 1 || text[i * 3] == ' ' || text[i * 3 + 1] == ' ') return std::nullopt;
    mac[i] = (*byte)[0];
  }
  return mac;
}

std::string MacText(const Mac& mac) {
  std::string text = HexText(mac);
  std::replace(text.begin(), text.end(), ' ', '-');
  return text;
}

std::optional<Ipv4> ParseIpv4(const std::string& text) {
  Ipv4 address{};
  std::size_t pos = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    if (i > 0) {
      if (pos >= text.size() || text[pos] != '.') return std::nullopt;
      ++pos;
    }
    unsigned value = 0;
    std::size_t digits = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 4) {
      value = value * 10 + static_cast<unsigned>(text[pos] - '0');
      ++pos;
      ++digits;
    }
    if (digits == 0 || digits > 3 || value > 255) return std::nullopt;
    address[i] = static_cast<std::uint8_t>(value);
  }
  if (pos != text.size()) return std::nullopt;
  return address;
}

std::string Ipv4Text(const Ipv4& a) {
  return std::to_string(a[0]) + "." + std::to_string(a[1]) + "." + std::to_string(a[2]) + "." + std::to_string(a[3]);
}

Board ParseBoard(const nlohmann::ordered_json& j, const std::string& label, const std::string& field) {
  const JsonReader reader(label);
  reader.Object(j, field,
                {"kind", "mac", "ip", "mask", "gateway", "port", "dhcp", "adapter", "opaque", "answers", "delayMs",
                 "packWith", "replyBytes", "garbage", "trailer"});
  const auto member = [&](const char* name) { return field + "." + name; };
  const auto required = [&](const char* name) -> const nlohmann::ordered_json& {
    if (!j.contains(name)) reader.Fail("\"" + member(name) + "\" is missing");
    return j[name];
  };
  const auto mac = [&](const nlohmann::ordered_json& v, const std::string& name) {
    const auto parsed = ParseMac(reader.Text(v, name));
    if (!parsed) reader.Fail("\"" + name + "\" must be a hardware address like 02-00-4B-56-58-30");
    return *parsed;
  };
  const auto address = [&](const char* name) {
    const auto parsed = ParseIpv4(reader.Text(j[name], member(name)));
    if (!parsed) reader.Fail("\"" + member(name) + "\" must be an IPv4 address a.b.c.d");
    return *parsed;
  };
  const auto hex = [&](const char* name, std::size_t max) {
    const auto parsed = ParseHex(reader.Text(j[name], member(name)));
    if (!parsed || parsed->size() > max) {
      reader.Fail("\"" + member(name) + "\" must be at most " + std::to_string(max) + " bytes in hexadecimal");
    }
    return *parsed;
  };

  Board board;
  const std::string kind = reader.Text(required("kind"), member("kind"));
  if (kind == "ostrel") {
    board.kind = BoardKind::Ostrel;
  } else if (kind != "lindor") {
    reader.Fail("\"" + member("kind") + "\" must be \"ostrel\" or \"lindor\"");
  }
  board.mac = mac(required("mac"), member("mac"));
  required("ip");
  board.ip = address("ip");
  if (j.contains("mask")) board.mask = address("mask");
  if (j.contains("gateway")) board.gateway = address("gateway");
  if (j.contains("port")) board.port = static_cast<std::uint16_t>(Whole(reader, j["port"], member("port"), 0xFFFF));
  if (j.contains("dhcp")) board.dhcp = reader.Bool(j["dhcp"], member("dhcp"));
  if (j.contains("adapter")) {
    board.adapters = j["adapter"].is_array() ? reader.TextList(j["adapter"], member("adapter"))
                                             : std::vector<std::string>{reader.Text(j["adapter"], member("adapter"))};
  }
  board.opaque = DefaultOpaque(board.kind);
  if (j.contains("opaque")) {
    const Bytes bytes = hex("opaque", board.opaque.size());
    if (bytes.size() != board.opaque.size()) {
      reader.Fail("\"" + member("opaque") + "\" must be " + std::to_string(board.opaque.size()) +
                  " bytes for this kind");
    }
    board.opaque = bytes;
  }
  BoardBehaviour& b = board.behaviour;
  if (j.contains("answers")) b.answers = Whole(reader, j["answers"], member("answers"), kMaxAnswers);
  if (j.contains("delayMs")) b.delayMs = Whole(reader, j["delayMs"], member("delayMs"), kMaxDelayMs);
  if (j.contains("packWith")) b.packWith = mac(j["packWith"], member("packWith"));
  if (j.contains("replyBytes")) {
    b.replyBytes = Whole(reader, j["replyBytes"], member("replyBytes"), static_cast<DWORD>(kMaxDatagram));
  }
  if (j.contains("garbage")) b.garbage = reader.Bool(j["garbage"], member("garbage"));
  if (j.contains("trailer")) b.trailer = hex("trailer", kMaxTrailer);
  return board;
}

void StoreBoardSettings(const Board& board, nlohmann::ordered_json& j) {
  j["ip"] = Ipv4Text(board.ip);
  j["mask"] = Ipv4Text(board.mask);
  j["gateway"] = Ipv4Text(board.gateway);
  j["port"] = board.port;
  j["dhcp"] = board.dhcp;
  if (board.opaque != DefaultOpaque(board.kind) || j.contains("opaque")) j["opaque"] = HexText(board.opaque);
}

}  // namespace platform::sim

// The reply parser on any datagram a board (or anything else on the network) may send: the first
// byte picks the board kind, the rest is the datagram.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "comm/BoardProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::int32_t kind = (data[0] & 1) != 0 ? boardkind::Lindor : boardkind::Ostrel;
  const std::span<const std::uint8_t> datagram(data + 1, size - 1);
  BoardList list;
  ParseBoardReplies(kind, datagram, list);
  const std::size_t recordSize = kind == boardkind::Lindor ? 34 : 49;
  if (list.size() > datagram.size() / recordSize) std::abort();
  // The same datagram again (a board answering twice) adds nothing.
  const std::size_t found = list.size();
  ParseBoardReplies(kind, datagram, list);
  if (list.size() != found) std::abort();
  for (std::size_t i = 0; i < list.size(); ++i) {
    const TypeBoardInfo& board = *list[i];
    if (board.payload().size() != static_cast<std::size_t>(board.PayloadSize())) std::abort();
    for (std::size_t j = 0; j < i; ++j) {
      bool same = true;
      for (std::uint8_t b = 0; b < 6; ++b) same = same && list[j]->MacByte(b) == board.MacByte(b);
      if (same) std::abort();
    }
    volatile unsigned sink = board.Port() + board.DhcpEnabled();
    for (unsigned b = 0; b < 256; ++b) {
      const auto at = static_cast<std::uint8_t>(b);
      sink = sink + board.IpByte(at) + board.MaskByte(at) + board.GatewayByte(at) + board.MacByte(at);
    }
  }
  return 0;
}

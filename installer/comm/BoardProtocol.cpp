#include "comm/BoardProtocol.h"

#include <algorithm>
#include <climits>
#include <string>
#include <string_view>
#include <vector>

#include "comm/AdapterTable.h"
#include "comm/InputSocket.h"
#include "comm/SocketException.h"

namespace {

using platform::DWORD;

constexpr std::uint16_t kLocalPort = 5001;
constexpr std::int32_t kBoardPort = 1460;
// Limits that never bind: a datagram socket can send at once, and replies are read only once they wait.
constexpr std::int32_t kSendLimitSeconds = 5000;
constexpr std::int32_t kReceiveLimitSeconds = 2000;
constexpr DWORD kListenMs = 10000;
constexpr int kEmptyPolls = 5;  // retries: six empty polls in a row end the listening
constexpr DWORD kEmptyPollWaitMs = 350;
constexpr DWORD kShortPollWaitMs = 5;
constexpr DWORD kDroppedReadWaitMs = 400;
constexpr DWORD kSendWaitSeconds = 4;
constexpr DWORD kSettleSeconds = 6;

struct Wire {
  std::string_view searchRequest;
  std::string_view replyToken;
  std::string_view settingsToken;
  const BoardLayout& layout;
  std::size_t RecordSize() const { return replyToken.size() + layout.payloadSize; }
};

constexpr Wire kOstrel{"FIND", "IMIN", "SETT", TypeOstrelBoardInfo::kLayout};
constexpr Wire kLindor{"RQ7200FIND", "RQ7200FOUND", "RQ7200SAVE", TypeLindorBoardInfo::kLayout};

const Wire& WireOf(std::int32_t kind) { return kind == boardkind::Lindor ? kLindor : kOstrel; }

std::unique_ptr<TypeBoardInfo> MakeBoard(std::int32_t kind, std::span<const std::uint8_t> payload) {
  if (kind == boardkind::Lindor)
    return std::make_unique<TypeLindorBoardInfo>(payload.first<TypeLindorBoardInfo::kLayout.payloadSize>());
  return std::make_unique<TypeOstrelBoardInfo>(payload.first<TypeOstrelBoardInfo::kLayout.payloadSize>());
}

bool Listed(const BoardList& list, const TypeBoardInfo& board) {
  return std::any_of(list.begin(), list.end(), [&](const std::unique_ptr<TypeBoardInfo>& listed) {
    return listed->Mac() == board.Mac();
  });
}

void Pump(const std::function<void()>& pumpMessages) {
  if (pumpMessages) pumpMessages();
}

std::size_t AdapterCount(platform::Platform& os) {
  AdapterTable adapters;
  BuildAdapterTable(os.ipHelper, adapters);
  return adapters.empty() ? 1 : adapters.size();
}

// One UDP socket bound to the index-th host address; false when the computer has no such address.
bool BindBoardSocket(InputSocket& socket, std::size_t index) {
  socket.type = platform::socktype::Datagram;
  socket.protocol = platform::ipproto::Udp;
  return socket.BindToHostAddress(kLocalPort, static_cast<std::uint32_t>(index));
}

std::int32_t Broadcast(InputSocket& socket, std::string_view request) {
  return socket.SendTo(reinterpret_cast<const std::uint8_t*>(request.data()), static_cast<std::int32_t>(request.size()),
                       kBroadcastAddress, kBoardPort, kSendLimitSeconds);
}

enum class Poll { Silent, TooShort, Read, ReadFailed };

// Reads every datagram that waits, one at a time, each parsed on its own. Windows counts all
// waiting datagrams together and Wine only the first, while a read takes one either way: a
// buffer of the count holds the next datagram on both. Fewer bytes waiting than one record are
// left where they are.
Poll ReadWaitingReplies(std::int32_t kind, InputSocket& socket, std::string& localAddress, BoardList& list) {
  const std::size_t recordSize = WireOf(kind).RecordSize();
  Poll poll = Poll::Silent;
  for (;;) {
    unsigned long waiting = 0;
    if (!socket.BytesAvailable(waiting)) return poll;
    if (waiting < recordSize) return poll == Poll::Silent ? Poll::TooShort : poll;
    const std::int32_t size = static_cast<std::int32_t>(std::min<unsigned long>(waiting, INT_MAX));
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size));
    localAddress = socket.LocalAddressText();
    const std::int32_t read = socket.Receive(buffer.data(), size, kReceiveLimitSeconds);
    if (read <= 0) return Poll::ReadFailed;
    ParseBoardReplies(kind, std::span(buffer).first(static_cast<std::size_t>(read)), list);
    poll = Poll::Read;
  }
}

// Listens on one bound socket until its time is up or it has stayed silent too long.
void CollectReplies(platform::Platform& os, const std::function<void()>& pumpMessages, std::int32_t kind,
                    InputSocket& socket, std::string& localAddress, BoardList& list) {
  const DWORD start = os.clock.GetTickCount();
  int retries = kEmptyPolls;
  while (static_cast<DWORD>(os.clock.GetTickCount() - start) < kListenMs && retries >= 0) {
    switch (ReadWaitingReplies(kind, socket, localAddress, list)) {
      case Poll::Silent:
        platform::SleepInSteps(os.clock, kEmptyPollWaitMs, pumpMessages);
        --retries;
        break;
      case Poll::TooShort:
        // Both kinds wait here: checking again at once would hold the thread without messages.
        Pump(pumpMessages);
        os.clock.Sleep(kShortPollWaitMs);
        break;
      case Poll::ReadFailed:
        --retries;
        platform::SleepInSteps(os.clock, kDroppedReadWaitMs, pumpMessages);
        break;
      case Poll::Read: retries = kEmptyPolls; break;
    }
  }
}

}  // namespace

void ParseBoardReplies(std::int32_t kind, std::span<const std::uint8_t> datagram, BoardList& list) {
  const Wire& wire = WireOf(kind);
  const std::size_t recordSize = wire.RecordSize();
  for (std::size_t cursor = 0; datagram.size() - cursor >= recordSize; cursor += recordSize) {
    const std::span<const std::uint8_t> record = datagram.subspan(cursor, recordSize);
    if (!std::equal(wire.replyToken.begin(), wire.replyToken.end(), record.begin())) return;
    std::unique_ptr<TypeBoardInfo> board = MakeBoard(kind, record.subspan(wire.replyToken.size()));
    if (!Listed(list, *board)) list.push_back(std::move(board));
  }
}

BoardList DiscoverBoards(platform::Platform& os, const std::function<void()>& pumpMessages, std::int32_t kind,
                         std::string& localAddress) {
  const std::size_t adapters = AdapterCount(os);
  BoardList list;
  try {
    for (std::size_t i = 0; i < adapters; ++i) {
      InputSocket socket(os.sockets, os.clock);
      if (!BindBoardSocket(socket, i)) {
        socket.Close();
        continue;
      }
      (void)Broadcast(socket, WireOf(kind).searchRequest);  // silence afterwards says as much
      CollectReplies(os, pumpMessages, kind, socket, localAddress, list);
      socket.Close();
    }
  } catch (const SocketException&) {
    // The boards found so far are the answer.
  }
  return list;
}

BoardSettingsResult SendBoardSettings(platform::Platform& os, const std::function<void()>& pumpMessages,
                                      std::int32_t kind, TypeBoardInfo& record,
                                      const std::array<std::uint8_t, 4>& ip, const std::array<std::uint8_t, 4>& mask,
                                      const std::array<std::uint8_t, 4>& gateway, std::uint16_t port, bool dhcp) {
  if (ip[0] == 0) return BoardSettingsResult::Refused;
  std::vector<std::uint8_t>& payload = record.payload();
  const BoardLayout& layout = WireOf(kind).layout;
  if (payload.size() != layout.payloadSize) return BoardSettingsResult::Refused;  // a record of the other kind
  const auto put = [&payload](std::size_t offset, const std::array<std::uint8_t, 4>& address) {
    std::copy(address.begin(), address.end(), payload.begin() + static_cast<std::ptrdiff_t>(offset));
  };
  put(layout.ipOffset, ip);
  put(layout.maskOffset, mask);
  put(layout.gatewayOffset, gateway);
  // Requests of both kinds carry the port high byte first, unlike a Lindor board's reply.
  payload[layout.portOffset] = static_cast<std::uint8_t>(port >> 8);
  payload[layout.portOffset + 1] = static_cast<std::uint8_t>(port & 0xFF);
  if (kind == boardkind::Lindor) {
    payload[6] = 0x0F;
    payload[7] = 0x00;
    payload[layout.dhcpOffset] = dhcp ? 1 : 0;
  } else {
    payload[37] = 0;
    payload[38] = 10;
    payload[39] = 1;
  }
  const std::string_view token = WireOf(kind).settingsToken;
  std::string request(token);
  request.append(payload.begin(), payload.end());

  const auto waitSeconds = [&](DWORD seconds) { platform::SleepInSteps(os.clock, seconds * 1000, pumpMessages); };
  try {
    const std::size_t adapters = AdapterCount(os);
    for (std::size_t i = 0; i < adapters; ++i) {
      InputSocket socket(os.sockets, os.clock);
      (void)BindBoardSocket(socket, i);  // an unbound socket's broadcast just goes nowhere
      (void)Broadcast(socket, request);  // no reply is read: the next search shows the outcome
      waitSeconds(kSendWaitSeconds);
      socket.Close();
    }
    waitSeconds(kSettleSeconds);
  } catch (const SocketException&) {
    // The request may have gone out; the next search tells.
  }
  return BoardSettingsResult::Sent;
}

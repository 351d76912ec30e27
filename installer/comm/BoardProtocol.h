#pragma once
// Finding ethernet interface boards by UDP broadcast on each local network, and changing one
// board's IP settings.
#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "comm/BoardInfo.h"
#include "platform/Platform.h"

// The boards that answer a search request from each of the computer's addresses in turn, in the
// order their replies arrive, also when several wait at once; each once (a board answering twice
// or on two networks is listed with its first answer).
// `localAddress` takes the local address on which a reply was last found waiting; it keeps its
// value when none was. `pumpMessages` lets waiting window messages through between the waits.
BoardList DiscoverBoards(platform::Platform& os, const std::function<void()>& pumpMessages, std::int32_t kind,
                         std::string& localAddress);

// Appends the boards of one reply datagram to `list`: records back to back, up to the first
// that is incomplete or does not start with the kind's reply token; a board already listed
// (same MAC address) is not added again.
void ParseBoardReplies(std::int32_t kind, std::span<const std::uint8_t> datagram, BoardList& list);

enum class BoardSettingsResult { Refused, Sent };

// Writes the new settings into `record` and broadcasts the kind's configuration request from
// each of the computer's addresses, then waits for the board to take them. Refused (nothing
// sent) when the address's first octet is 0 or `record` is not of `kind`. `dhcp` counts for
// Lindor boards only.
BoardSettingsResult SendBoardSettings(platform::Platform& os, const std::function<void()>& pumpMessages,
                                      std::int32_t kind, TypeBoardInfo& record,
                                      const std::array<std::uint8_t, 4>& ip, const std::array<std::uint8_t, 4>& mask,
                                      const std::array<std::uint8_t, 4>& gateway, std::uint16_t port, bool dhcp);

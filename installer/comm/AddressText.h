#pragma once
// The text forms of network addresses that the installer shows, reads and prints: dotted quads
// ("192.0.2.5") and hardware addresses ("02:00:4B:56:58:30").
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

using Octets = std::array<std::uint8_t, 4>;
using MacAddress = std::array<std::uint8_t, 6>;

// "192.0.2.5"; padded, each field in three digits: "192.000.002.005".
std::string DottedQuad(const Octets& octets, bool padded = false);

// The four numbers of "a.b.c.d", each cut to its low byte; none unless all four are there.
std::optional<Octets> ParseDottedQuad(const std::string& text);

// Upper-case hex pairs joined by `separator`: "02:00:4B:56:58:30".
std::string HexPairs(std::span<const std::uint8_t> bytes, char separator);

// A board's address as the boards are listed and named on the command line: "02:00:4B:56:58:30".
std::string MacText(const MacAddress& mac);

// "02:00:4B:56:58:30" or "02-00-4B-56-58-30", either case; none for anything else.
std::optional<MacAddress> ParseMac(const std::string& text);

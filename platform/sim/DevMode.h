#pragma once
// The device modes (DEVMODEA bytes plus the driver's private part) the simulated spooler hands
// out and merges, as a driver built on the system's printer-driver core does.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::sim {

using DevModeBytes = std::vector<std::uint8_t>;

constexpr std::size_t kDriverExtraSize = 16;

// A printer's first device mode: portrait Letter, one copy, the device name cut to 31 characters.
DevModeBytes DefaultDevMode(const std::string& printerName);
bool IsAllZero(const DevModeBytes& bytes);
// dmSize + dmDriverExtra of a usable device mode (a known dmSize, and that many bytes); else nullopt.
std::optional<std::size_t> DevModeSize(const DevModeBytes& bytes);
// `current` with every public field that input's dmFields names taken from `input`, where both
// records have that field.
DevModeBytes MergeDevMode(const DevModeBytes& current, const DevModeBytes& input);

}  // namespace platform::sim

#pragma once
// A printer's default device mode as a settings file carries it, made fit for another printer.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace settingsfile {

// The device mode as the "A" spooler calls take it (DEVMODEA, then its dmDriverExtra bytes of
// private part), from a DEVMODEA or a DEVMODEW (as Windows keeps it in a printer's key) of a known
// size whose length is exactly dmSize + dmDriverExtra. nullopt for anything else.
std::optional<std::vector<std::uint8_t>> AnsiDevMode(std::span<const std::uint8_t> bytes);

// `devMode` (from AnsiDevMode) as the named printer's: its name in dmDeviceName, cut to 31
// characters, and the plug-in's section, where the private part holds one, repaired as the plug-in
// repairs it.
std::vector<std::uint8_t> DevModeForPrinter(std::vector<std::uint8_t> devMode, const std::string& printerName);

}  // namespace settingsfile

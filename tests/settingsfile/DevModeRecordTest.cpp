// A settings file's device mode, as Windows keeps it (DEVMODEW) or as this machine does (DEVMODEA),
// becomes the DEVMODEA the spooler's "A" calls take, named for the printer that takes it.
#include <gtest/gtest.h>

#include <cstring>

#include "settingsfile/DevModeRecord.h"
#include "settingsfile/OemPrivateDevmode.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void PutWord(Bytes& bytes, std::size_t offset, std::size_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value);
  bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

// A DEVMODEA of `publicSize` with `extra` private bytes; its bytes after the names run 1, 8, 15, ...
// so that every move shows.
Bytes Ansi(std::size_t publicSize, std::size_t extra, const std::string& device, const std::string& form) {
  Bytes bytes(publicSize + extra);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 1);
  std::fill_n(bytes.begin(), 32, 0);
  std::fill_n(bytes.begin() + 70, 32, 0);
  std::copy(device.begin(), device.end(), bytes.begin());
  std::copy(form.begin(), form.end(), bytes.begin() + 70);
  PutWord(bytes, 36, publicSize);
  PutWord(bytes, 38, extra);
  return bytes;
}

// The same record as Windows keeps it: both names in UTF-16, dmSize 64 bytes more.
Bytes Wide(const Bytes& ansi) {
  Bytes wide;
  const auto widen = [&](std::size_t from) {
    for (std::size_t i = from; i < from + 32; ++i) wide.insert(wide.end(), {ansi[i], 0});
  };
  widen(0);
  wide.insert(wide.end(), ansi.begin() + 32, ansi.begin() + 70);
  widen(70);
  wide.insert(wide.end(), ansi.begin() + 102, ansi.end());
  PutWord(wide, 68, (ansi[36] | ansi[37] << 8) + 64);
  return wide;
}

TEST(AnsiDevMode, TakesBothFormsOfEveryKnownSizeAndNothingElse) {
  for (const std::size_t size : {124u, 148u, 156u}) {
    SCOPED_TRACE(size);
    const Bytes ansi = Ansi(size, 36, "Till", "Print width 48mm 30cm");
    EXPECT_EQ(settingsfile::AnsiDevMode(ansi), ansi);
    EXPECT_EQ(settingsfile::AnsiDevMode(Wide(ansi)), ansi);
  }
  Bytes longer = Ansi(156, 36, "Till", "");
  longer.push_back(0);
  Bytes unknownSize = Ansi(156, 36, "Till", "");
  PutWord(unknownSize, 36, 150);
  for (const Bytes& bad : {Bytes{}, Bytes(40, 0), Bytes(220, 0), longer, unknownSize})
    EXPECT_EQ(settingsfile::AnsiDevMode(bad), std::nullopt) << bad.size();
}

TEST(DevModeForPrinter, NamesThePrinterAndRepairsThePluginSection) {
  Bytes devMode = Ansi(156, 16 + 20, "Till A with a rather long printer name", "");
  settingsfile::OemPrivateDevmode section = settingsfile::DefaultOemPrivateDevmode();
  section.dwLineFeeds = 500;
  section.dwXCompression = 0;
  std::memcpy(devMode.data() + 156 + 16, &section, sizeof section);
  const Bytes named = settingsfile::DevModeForPrinter(devMode, "Till B on COM2 with an even longer name");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(named.data())), "Till B on COM2 with an even lon");
  EXPECT_TRUE(std::equal(named.begin() + 32, named.begin() + 156 + 16, devMode.begin() + 32));
  settingsfile::OemPrivateDevmode repaired;
  std::memcpy(&repaired, named.data() + 156 + 16, sizeof repaired);
  EXPECT_EQ(repaired.dwLineFeeds, settingsfile::DefaultLineFeeds);
  EXPECT_EQ(repaired.dwXCompression, 0u);
}

}  // namespace

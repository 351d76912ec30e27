// The simulated profile functions on a file made of the bytes, with section and key names picked from
// the file itself (a trailer of the input chooses which, and the buffer sizes). The answers stay within
// the caller's buffer as Windows' do, and an entry written to the system profile reads back.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/IniFile.h"
#include "platform/sim/SimProfile.h"
#include "fuzz/FuzzFolder.h"

namespace {

namespace sim = platform::sim;

void Write(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A name of the document (or a piece of the file when it has none), chosen by `pick`.
std::string PickName(const std::vector<std::string>& names, const std::string& bytes, std::uint16_t pick) {
  if (!names.empty() && pick % 4 != 0) return names[pick % names.size()];
  if (bytes.empty()) return {};
  const std::size_t start = pick % bytes.size();
  return bytes.substr(start, pick % 13);
}

// Plain text that every part of the round trip keeps as it is.
bool Plain(const std::string& text) {
  if (text.empty() || text.front() == ';' || text.front() == '[') return false;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x21 || u >= 0x7F || c == '=' || c == ']' || c == '"' || c == '\'') return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzztest::FuzzFolder folder("profile");
  static const sim::MachineConfig config;
  static const auto faults = std::make_shared<sim::FaultInjector>();
  static sim::SimProfile profile({}, folder.path / "drive_c", faults, config);

  FuzzedDataProvider input(data, size);
  // Integers come from the end, so a plain INI file as the input is read mostly as itself.
  const auto pickSection = input.ConsumeIntegral<std::uint16_t>();
  const auto pickKey = input.ConsumeIntegral<std::uint16_t>();
  const std::size_t stringSize = input.ConsumeIntegralInRange<std::size_t>(0, 300);
  const std::size_t sectionSize = input.ConsumeIntegralInRange<std::size_t>(0, 300);
  const std::string bytes = input.ConsumeRemainingBytesAsString();
  Write(folder.path / "drive_c" / "p.ini", bytes);
  Write(folder.path / "drive_c" / "Windows" / "win.ini", bytes);

  const sim::IniDocument doc = sim::ParseProfile(sim::DecodeProfileBytes(bytes));
  std::vector<std::string> sections;
  for (const sim::IniSection& s : doc) sections.push_back(s.name);
  const std::string section = PickName(sections, bytes, pickSection);
  std::vector<std::string> keys;
  for (const sim::IniSection& s : doc)
    if (s.name == section)
      for (const sim::IniEntry& e : s.entries) keys.push_back(e.name);
  const std::string key = PickName(keys, bytes, pickKey);

  std::vector<char> buffer(stringSize);
  const auto copied = profile.GetPrivateProfileStringA(section, key, key, buffer, "C:\\p.ini");
  if (stringSize > 0 && (copied >= stringSize || buffer[copied] != '\0')) std::abort();
  buffer.assign(sectionSize, '\0');
  const auto listed = profile.GetPrivateProfileSectionA(section, buffer, "C:\\p.ini");
  if (listed > (sectionSize < 2 ? 0 : sectionSize - 2)) std::abort();
  buffer.assign(sectionSize, '\0');
  (void)profile.GetProfileSectionA(section, buffer);

  // A NUL in the file ends a line for one reader and not another; Windows makes no promise there either.
  const bool text = bytes.find('\0') == std::string::npos;
  if (profile.WriteProfileStringA(section, key, "v=1") == 0 && text && Plain(section) && Plain(key)) {
    buffer.assign(16, '\0');
    (void)profile.GetPrivateProfileStringA(section, key, "", buffer, "C:\\Windows\\win.ini");
    if (std::string(buffer.data()) != "v=1") std::abort();
  }
  return 0;
}

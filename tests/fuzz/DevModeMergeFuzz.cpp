// The simulated spooler's device-mode merge on two records cut from the bytes (the first byte says
// where): the stored one as the spooler keeps it (a usable device mode, cut to its size), the incoming
// one as a caller hands it. The merge keeps the stored record's size and changes nothing but public
// fields both records have.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/PrintSpooler.h"
#include "platform/sim/DevMode.h"

namespace {

namespace sim = platform::sim;

std::size_t PublicSize(const sim::DevModeBytes& dm) {
  if (dm.size() < platform::devmode::SizeOffset + 2) return 0;
  const std::size_t declared = dm[platform::devmode::SizeOffset] | std::size_t{dm[platform::devmode::SizeOffset + 1]} << 8;
  return std::min(dm.size(), declared);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t cut = std::min<std::size_t>(size - 1, std::size_t{data[0]} * 2);
  sim::DevModeBytes stored(data + 1, data + 1 + cut);
  const sim::DevModeBytes input(data + 1 + cut, data + size);
  const auto storedSize = sim::DevModeSize(stored);
  if (!storedSize) return 0;
  stored.resize(*storedSize);
  // The spooler hands only a usable incoming record to the merge; the merge copes with any.
  for (const bool checked : {true, false}) {
    if (checked && !sim::DevModeSize(input)) continue;
    const sim::DevModeBytes merged = sim::MergeDevMode(stored, input);
    if (merged.size() != stored.size()) std::abort();
    const std::size_t common = std::min(PublicSize(stored), PublicSize(input));
    // Past the public part both have: the stored record's private part, untouched.
    if (!std::equal(merged.begin() + static_cast<std::ptrdiff_t>(std::min(common, merged.size())), merged.end(),
                    stored.begin() + static_cast<std::ptrdiff_t>(std::min(common, stored.size())))) {
      std::abort();
    }
  }
  return 0;
}

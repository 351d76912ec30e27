#pragma once
// A serial receipt printer as it answers on the line, without any I/O: the simulated machine's
// COM ports and the pty printer in tools/ both carry its bytes. It answers the status probe
// 1D F8 31 with five bytes; bytes that reach it while the line is not framed at its rate (and
// 8N1) are noise to it.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>

namespace platform::sim {

class PrinterPeer {
public:
  // What the printer sends back once `byte` has reached it; empty for nothing.
  std::span<const std::uint8_t> Hear(std::uint8_t byte, bool framed) {
    static constexpr std::uint8_t kProbe[] = {0x1D, 0xF8, 0x31};
    static constexpr std::uint8_t kAnswer[] = {0x10, 0x0F, 0x00, 0x00, 0x00};
    heard_ = framed ? heard_ + 1 : 0;
    if (heard_ > 0 && byte != kProbe[heard_ - 1]) heard_ = byte == kProbe[0] ? 1 : 0;
    if (heard_ < std::size(kProbe)) return {};
    heard_ = 0;
    return kAnswer;
  }

private:
  std::size_t heard_ = 0;  // how many bytes of the probe came last
};

}  // namespace platform::sim

// The plug-in's DevMode convert and merge on any incoming private section and any printer data.
// Bytes: [0] bit 0 merge instead of convert, bit 1/2 a line-feed/compression value in the printer's data;
// [1] the section's length (0-64); [2]/[3] the two values' lengths (0-8); [4] the output buffer's size
// (16-24); then 20 bytes of the output record as it was, the section, the two values.
// The section lies in a heap buffer of exactly its length, so a read past it is a finding. It always
// holds its dwSize field and min(dwSize, 20) bytes: the driver core locates sections by that size.
// Whatever the input, nothing outside the records changes, and the result is a well-formed record.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/plugin/OemUiAbi.h"
#include "platform/sim/SimMachine.h"
#include "uiplugin/Exports.h"
#include "uiplugin/Module.h"
#include "uiplugin/OemDevMode.h"

namespace {

namespace sim = platform::sim;
using Bytes = std::vector<std::uint8_t>;

struct Reader {
  const std::uint8_t* data;
  std::size_t size;
  std::uint8_t Byte() { return Take(1).at(0); }
  // The next n bytes, zeros past the end of the input.
  Bytes Take(std::size_t n) {
    Bytes bytes(n, 0);
    const std::size_t count = std::min(n, size);
    std::copy(data, data + count, bytes.begin());
    data += count;
    size -= count;
    return bytes;
  }
};

struct World {
  std::unique_ptr<sim::SimMachine> machine = sim::SimMachine::InMemory();
  platform::Platform platform = machine->platform();
  std::unique_ptr<platform::PrinterHandle> printer;
  oemui::IPrintOemUI* ui = nullptr;

  World() {
    sim::SpoolerPrinter record;
    record.name = "RQ-7200 TH";
    record.port = "COM1:";
    record.driver = "RQ-7200 TH";
    machine->spooler().Edit([&](sim::SpoolerState& s) { s.printers.push_back(record); });
    if (platform.spooler.OpenPrinterA(record.name, platform::printeraccess::Use, printer) != 0) std::abort();
    uiplugin::Attach(this, &platform);
    oemui::IClassFactory* factory = nullptr;
    if (uiplugin::GetClassObject(oemui::ClsidOemUi, oemui::IidClassFactory, reinterpret_cast<void**>(&factory)) != 0 ||
        factory->CreateInstance(nullptr, oemui::IidPrintOemUi, reinterpret_cast<void**>(&ui)) != 0) {
      std::abort();
    }
    factory->Release();
    initial = machine->spooler().Snapshot();
  }
  sim::SpoolerState initial;  // what every input starts from
};

void Check(bool condition) {
  if (!condition) std::abort();
}

platform::DWORD Word(const std::uint8_t* bytes, std::size_t index) {
  platform::DWORD value;
  std::memcpy(&value, bytes + 4 * index, sizeof value);
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static World world;
  Reader input{data, size};
  const std::uint8_t flags = input.Byte();
  const std::size_t sectionLength = input.Byte() % 65;
  const std::size_t lineFeedsLength = input.Byte() % 9;
  const std::size_t compressionLength = input.Byte() % 9;
  const std::size_t outSize = 16 + input.Byte() % 9;
  const Bytes outBefore = input.Take(20);
  Bytes section = input.Take(sectionLength);
  const Bytes lineFeeds = input.Take(lineFeedsLength);
  const Bytes compression = input.Take(compressionLength);

  world.machine->spooler().Edit([&](sim::SpoolerState& s) {
    s = world.initial;
    std::vector<sim::PrinterDataValue>& values = s.printers.at(0).printerData;
    if (flags & 2) values.push_back({"TOLV_LINE_FEEDS_VALUE", flags & 8u ? 3u : 4u, lineFeeds});
    if (flags & 4) values.push_back({"TOLV_X_COMPRESSION_VALUE", flags & 16u ? 1u : 4u, compression});
  });

  Bytes sized = section;
  sized.resize(4, 0);
  const std::size_t declared = std::min<std::size_t>(Word(sized.data(), 0), 20);
  section.resize(std::max({section.size(), std::size_t{4}, declared}), 0);
  auto in = std::make_unique<std::uint8_t[]>(section.size());
  std::copy(section.begin(), section.end(), in.get());
  auto out = std::make_unique<std::uint8_t[]>(outSize);
  std::copy_n(outBefore.begin(), std::min<std::size_t>(outSize, 20), out.get());

  oemui::OEMDMPARAM param{};
  param.cbSize = sizeof param;
  param.hPrinter = world.printer->Raw();
  param.pOEMDMIn = in.get();
  param.pOEMDMOut = out.get();
  param.cbBufSize = static_cast<platform::DWORD>(outSize);
  const platform::DWORD mode = flags & 1 ? oemui::oemdm::Merge : oemui::oemdm::Convert;
  const oemui::HRESULT result = world.ui->DevMode(mode, &param);

  Check(std::equal(section.begin(), section.end(), in.get()));
  if (outSize < 20) {
    Check(result == oemui::hresult::Fail);
    Check(std::equal(out.get(), out.get() + outSize, outBefore.begin()));
    return 0;
  }
  Check(result == oemui::hresult::Ok);
  Check(std::all_of(out.get() + 20, out.get() + outSize, [](std::uint8_t b) { return b == 0; }));
  Check(Word(out.get(), 0) == 20 && Word(out.get(), 2) == uiplugin::OemDevmodeVersion);
  if (mode == oemui::oemdm::Merge) {
    Check(Word(out.get(), 1) == uiplugin::OemSignature);
    Check(Word(out.get(), 3) <= uiplugin::MaxLineFeeds && Word(out.get(), 4) <= 1);
  }
  return 0;
}

// The private device-mode section through IPrintOemUI::DevMode: its size and defaults, conversion of
// an incoming section, the printer-data overrides and the repair of out-of-range settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/uiplugin/PluginTestSupport.h"

namespace {

using oemui::DWORD;
using oemui::HRESULT;
namespace hr = oemui::hresult;
namespace winerr = platform::winerr;
using plugintest::Com;
using plugintest::Dword;
using plugintest::PluginTest;
using Bytes = std::vector<std::uint8_t>;
using Record = std::array<DWORD, 5>;  // dwSize, dwSignature, dwVersion, dwLineFeeds, dwXCompression

constexpr DWORD Sig = 0x4D534654;
constexpr DWORD Other = 0x12345678;
constexpr std::uint8_t Fill = 0xAA;

Bytes Section(const Record& record, std::size_t length = 20) {
  Bytes bytes;
  for (const DWORD word : record) {
    const Bytes four = Dword(word);
    bytes.insert(bytes.end(), four.begin(), four.end());
  }
  bytes.resize(length, Fill);
  return bytes;
}

Record Read(const std::uint8_t* bytes) {
  Record record;
  std::memcpy(record.data(), bytes, sizeof record);
  return record;
}

class DevModeTest : public PluginTest {
protected:
  void SetUp() override {
    PluginTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(NewUi(ui));
  }
  void TearDown() override {
    ui.Reset();
    PluginTest::TearDown();
  }

  oemui::OEMDMPARAM Param(void* in, void* out, DWORD outSize = 20) {
    oemui::OEMDMPARAM param{};
    param.cbSize = sizeof param;
    param.hPrinter = printer;
    param.pOEMDMIn = in;
    param.pOEMDMOut = out;
    param.cbBufSize = outSize;
    return param;
  }

  Com<oemui::IPrintOemUI> ui;
  platform::RawPrinterHandle printer = nullptr;
};

TEST_F(DevModeTest, SizeDefaultsAndRefusedCalls) {
  struct Row {
    const char* what;
    bool noParam;
    DWORD mode, outSize;
    HRESULT result;
    DWORD lastError, cbBufSizeAfter;
    Bytes out;  // the output record afterwards
  };
  const Bytes untouched(20, Fill);
  const Bytes defaults = {0x14, 0, 0, 0, 0x54, 0x46, 0x53, 0x4D, 1, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0};
  const std::vector<Row> rows = {
      {"size", false, 1, 0, hr::Ok, 0, 20, untouched},
      {"defaults", false, 2, 20, hr::Ok, 0, 20, defaults},
      {"defaults into a larger buffer", false, 2, 64, hr::Ok, 0, 64, defaults},
      {"mode 5", false, 5, 20, hr::Fail, winerr::InvalidParameter, 20, untouched},
      {"mode 0", false, 0, 20, hr::Fail, winerr::InvalidParameter, 20, untouched},
      {"no parameters", true, 2, 20, hr::Fail, winerr::InvalidParameter, 20, untouched},
      {"defaults into 19 bytes", false, 2, 19, hr::Fail, winerr::InsufficientBuffer, 19, untouched},
      {"merge into 19 bytes", false, 4, 19, hr::Fail, winerr::InsufficientBuffer, 19, untouched},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Bytes in = Section({20, Sig, 1, 3, 0});
    Bytes out(20, Fill);
    oemui::OEMDMPARAM param = Param(in.data(), out.data(), row.outSize);
    p.lastError.SetLastError(0);
    EXPECT_EQ(ui->DevMode(row.mode, row.noParam ? nullptr : &param), row.result);
    EXPECT_EQ(machine->lastError().GetLastError(), row.lastError);
    EXPECT_EQ(param.cbBufSize, row.cbBufSizeAfter);
    EXPECT_EQ(out, row.out);
  }
}

TEST_F(DevModeTest, ConvertAndMergeTakeAMatchingSectionThenThePrinterData) {
  struct Row {
    const char* what;
    DWORD mode;
    Bytes in;
    std::optional<Bytes> lineFeeds, compression;  // the printer's data values
    Record outBefore, out;
  };
  const Record defaults = {20, Sig, 1, 2, 1};
  const Record blank = defaults;  // what the driver core puts there before converting
  const std::vector<Row> rows = {
      {"same signature", 3, Section({20, Sig, 1, 3, 0}), {}, {}, blank, {20, Sig, 1, 3, 0}},
      {"other signature, whatever the data", 3, Section({20, Other, 1, 3, 0}), Dword(7), Dword(0), blank, defaults},
      {"header only", 3, Section({12, Sig, 1}, 12), {}, {}, blank, defaults},
      {"header only, data", 4, Section({12, Sig, 1}, 12), Dword(7), {}, blank, {20, Sig, 1, 7, 1}},
      {"data 7 over 3", 3, Section({20, Sig, 1, 3, 1}), Dword(7), {}, blank, {20, Sig, 1, 7, 1}},
      {"data 500 kept", 3, Section({20, Sig, 1, 3, 1}), Dword(500), {}, blank, {20, Sig, 1, 500, 1}},
      {"data 500 repaired", 4, Section({20, Sig, 1, 3, 1}), Dword(500), {}, blank, {20, Sig, 1, 2, 1}},
      {"100 survives", 4, Section({20, Sig, 1, 100, 0}), {}, {}, blank, {20, Sig, 1, 100, 0}},
      {"101 repaired", 4, Section({20, Sig, 1, 101, 1}), {}, {}, blank, {20, Sig, 1, 2, 1}},
      {"compression 2 kept", 3, Section({20, Sig, 1, 5, 2}), {}, {}, blank, {20, Sig, 1, 5, 2}},
      {"compression 2 repaired", 4, Section({20, Sig, 1, 5, 2}), {}, {}, blank, {20, Sig, 1, 5, 1}},
      {"compression data 0", 4, Section({20, Sig, 1, 5, 1}), {}, Dword(0), blank, {20, Sig, 1, 5, 0}},
      {"compression data 9", 4, Section({20, Sig, 1, 5, 0}), {}, Dword(9), blank, {20, Sig, 1, 5, 1}},
      {"both data", 3, Section({20, Sig, 1, 5, 0}), Dword(8), Dword(1), blank, {20, Sig, 1, 8, 1}},
      {"a short value, zero-extended", 3, Section({20, Sig, 1, 3, 1}), Bytes{0x05, 0x01}, {}, blank,
       {20, Sig, 1, 0x105, 1}},
      {"an empty value", 3, Section({20, Sig, 1, 3, 1}), Bytes{}, {}, blank, {20, Sig, 1, 0, 1}},
      {"a value over 4 bytes, ignored", 3, Section({20, Sig, 1, 3, 1}), Bytes(8, 1), {}, blank, {20, Sig, 1, 3, 1}},
      {"a larger section: 20 bytes taken", 3, Section({64, Sig, 9, 4, 0}, 64), {}, {}, blank, {20, Sig, 1, 4, 0}},
      {"a version 9 section", 3, Section({20, Sig, 9, 4, 0}), {}, {}, blank, {20, Sig, 1, 4, 0}},
      {"a section too short for its signature", 3, Section({4, Sig}, 4), Dword(7), {}, blank, defaults},
      {"an output record of 12 bytes", 3, Section({20, Sig, 1, 4, 0}), {}, {}, {12, Sig, 1, 9, 9},
       {20, Sig, 1, 2, 1}},
      {"the output's own signature is what matches", 3, Section({20, Other, 1, 4, 0}), Dword(7), {},
       {20, Other, 1, 9, 9}, {20, Other, 1, 7, 0}},
      {"our signature against a foreign output", 4, Section({20, Sig, 1, 4, 0}), Dword(7), {},
       {20, Other, 3, 9, 9}, defaults},
  };
  int printers = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<platform::sim::PrinterDataValue> data;
    if (row.lineFeeds) data.push_back({"TOLV_LINE_FEEDS_VALUE", 4, *row.lineFeeds});
    if (row.compression) data.push_back({"TOLV_X_COMPRESSION_VALUE", 3, *row.compression});
    printer = OpenPrinterWithData("Printer " + std::to_string(++printers), data);
    ASSERT_NE(printer, nullptr);
    // Exactly as long as the caller's records: a read or write past them is a sanitizer finding.
    auto in = std::make_unique<std::uint8_t[]>(row.in.size());
    std::copy(row.in.begin(), row.in.end(), in.get());
    auto out = std::make_unique<std::uint8_t[]>(20);
    std::memcpy(out.get(), row.outBefore.data(), 20);
    oemui::OEMDMPARAM param = Param(in.get(), out.get());
    EXPECT_EQ(ui->DevMode(row.mode, &param), hr::Ok);
    EXPECT_EQ(Read(out.get()), row.out);
    EXPECT_TRUE(std::equal(row.in.begin(), row.in.end(), in.get())) << "the input is left alone";
  }
}

TEST_F(DevModeTest, ConvertWithoutAnInputLeavesTheOutputToTheRepair) {
  struct Row {
    DWORD mode;
    Record out;
  };
  const Record before = {0, Other, 7, 500, 2};
  const std::vector<Row> rows = {
      {3, before},
      {4, {20, Sig, 1, 2, 1}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.mode);
    Record out = before;
    oemui::OEMDMPARAM param = Param(nullptr, out.data());
    EXPECT_EQ(ui->DevMode(row.mode, &param), hr::Ok);
    EXPECT_EQ(out, row.out);
    param = Param(out.data(), nullptr);
    EXPECT_EQ(ui->DevMode(row.mode, &param), hr::Ok) << "no output: nothing to write";
  }
}

}  // namespace

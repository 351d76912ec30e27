// The spooler backend's conversions between the seam's records and the Windows structures,
// checked against what the real functions store and report.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/Win32PrintSpooler.h"
#include "SpoolerTestSupport.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace dm = platform::devmode;
constexpr platform::DWORD kInOut = platform::dmmode::InBuffer | platform::dmmode::OutBuffer;

constexpr const char* kDriver = "Kvx Win32 Test Driver";
constexpr const char* kPrinter = "Kvx Win32 Test Printer";

std::string Tail(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

// The record as GetPrinterA level 2 reports it, read without the backend.
class RawRecord {
public:
  explicit RawRecord(const char* printerName) {
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
    if (!OpenPrinterA(const_cast<char*>(printerName), &printer_, &defaults)) return;
    DWORD needed = 0;
    GetPrinterA(printer_, 2, nullptr, 0, &needed);
    buffer_.assign(needed / 8 + 1, 0);
    if (!GetPrinterA(printer_, 2, reinterpret_cast<BYTE*>(buffer_.data()), needed, &needed)) buffer_.clear();
  }
  ~RawRecord() {
    if (printer_) ClosePrinter(printer_);
  }
  const PRINTER_INFO_2A* get() const {
    return buffer_.empty() ? nullptr : reinterpret_cast<const PRINTER_INFO_2A*>(buffer_.data());
  }
  Bytes DevMode() const {
    const DEVMODEA* mode = get()->pDevMode;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(mode);
    return Bytes(bytes, bytes + mode->dmSize + mode->dmDriverExtra);
  }
  // GetPrinterDataA of a value: its type and bytes.
  bool Data(const char* name, DWORD& type, Bytes& data) const {
    DWORD needed = 0;
    GetPrinterDataA(printer_, const_cast<char*>(name), &type, nullptr, 0, &needed);
    data.assign(needed, 0);
    return GetPrinterDataA(printer_, const_cast<char*>(name), &type, data.data(), needed, &needed) == ERROR_SUCCESS;
  }

private:
  HANDLE printer_ = nullptr;
  std::vector<std::uint64_t> buffer_;
};

// A driver whose configuration module answers DocumentPropertiesA, and a printer using it.
class Win32PrintSpoolerTest : public testing::Test {
protected:
  void SetUp() override {
    Remove();
    const std::string directory = spooler_test::DriverDirectory();
    files.Make(directory + "\\kvxw32.dll");
    files.Make(directory + "\\kvxw32.gpd");
    files.Make(directory + "\\kvxw32ui.dll", spooler_test::StandInConfigModule());
    platform::DriverInfo3A driver;
    driver.cVersion = 3;
    driver.pName = kDriver;
    driver.pDriverPath = "kvxw32.dll";
    driver.pDataFile = "kvxw32.gpd";
    driver.pConfigFile = "kvxw32ui.dll";
    ASSERT_EQ(spooler.AddPrinterDriverA(driver), platform::winerr::Success);
    ASSERT_EQ(spooler.AddPrinterA(PrinterRecord(), printer), platform::winerr::Success);
  }
  void TearDown() override {
    printer.reset();
    Remove();
  }
  static void Remove() {
    spooler_test::RemovePrinter(kPrinter);
    spooler_test::RemoveDriver(kDriver);
  }

  static platform::PrinterInfo2A PrinterRecord() {
    platform::PrinterInfo2A info;
    info.pPrinterName = kPrinter;
    info.pPortName = "LPT1:";
    info.pDriverName = kDriver;
    info.pComment = "Korvex Printers";
    info.pPrintProcessor = "WinPrint";
    info.pDatatype = "RAW";  // Wine cannot open a printer without one
    info.Attributes = platform::printerattr::Local;
    return info;
  }

  platform::PrinterInfo2A Read() {
    platform::PrinterInfo2A info;
    platform::DWORD needed = 0;
    EXPECT_EQ(printer->GetPrinter2A(0, needed, info), platform::winerr::InsufficientBuffer);
    EXPECT_EQ(printer->GetPrinter2A(needed, needed, info), platform::winerr::Success);
    return info;
  }

  spooler_test::DriverFiles files;
  platform::win32::Win32PrintSpooler spooler;
  std::unique_ptr<platform::PrinterHandle> printer;
};

TEST_F(Win32PrintSpoolerTest, RecordMatchesWhatGetPrinterReports) {
  platform::PrinterInfo2A info;
  info.pComment = "untouched";
  platform::DWORD needed = 0;
  ASSERT_EQ(printer->GetPrinter2A(0, needed, info), platform::winerr::InsufficientBuffer);
  platform::DWORD again = 0;
  EXPECT_EQ(printer->GetPrinter2A(needed - 1, again, info), platform::winerr::InsufficientBuffer);
  EXPECT_EQ(again, needed);
  EXPECT_EQ(info.pComment, "untouched");
  ASSERT_EQ(printer->GetPrinter2A(needed + 100, again, info), platform::winerr::Success);

  RawRecord raw(kPrinter);
  ASSERT_NE(raw.get(), nullptr);
  EXPECT_EQ(info.pServerName.has_value(), raw.get()->pServerName != nullptr);
  EXPECT_EQ(info.pPrinterName, kPrinter);
  EXPECT_EQ(info.pPortName, "LPT1:");
  EXPECT_EQ(info.pDriverName, kDriver);
  EXPECT_EQ(info.pComment, "Korvex Printers");
  EXPECT_EQ(info.pDatatype, "RAW");
  EXPECT_EQ(info.hasSecurityDescriptor, raw.get()->pSecurityDescriptor != nullptr);
  EXPECT_EQ(info.Attributes, raw.get()->Attributes);
  EXPECT_EQ(info.Priority, raw.get()->Priority);
  ASSERT_TRUE(info.pDevMode.has_value());
  EXPECT_EQ(*info.pDevMode, raw.DevMode()) << "the device mode with its driver part, and nothing after it";
}

TEST_F(Win32PrintSpoolerTest, SetPrinter2AStoresTheRecordAndItsDeviceMode) {
  platform::PrinterInfo2A info = Read();
  ASSERT_TRUE(info.pDevMode.has_value());
  Bytes& mode = *info.pDevMode;
  std::memset(mode.data() + dm::FormNameOffset, 0, dm::FormNameSize);
  std::memcpy(mode.data() + dm::FormNameOffset, "Kvx Stored Form", 15);
  info.pComment = "Changed comment";
  info.pLocation = "Till 3";
  info.Attributes |= platform::printerattr::DoCompleteFirst;
  info.hasSecurityDescriptor = true;  // goes back unchanged
  ASSERT_EQ(printer->SetPrinter2A(info), platform::winerr::Success);

  RawRecord raw(kPrinter);
  ASSERT_NE(raw.get(), nullptr);
  EXPECT_STREQ(raw.get()->pComment, "Changed comment");
  EXPECT_STREQ(raw.get()->pLocation, "Till 3");
  EXPECT_NE(raw.get()->Attributes & PRINTER_ATTRIBUTE_DO_COMPLETE_FIRST, 0u);
  EXPECT_STREQ(raw.get()->pPortName, "LPT1:");
  EXPECT_EQ(raw.DevMode(), mode);

  info.hasSecurityDescriptor = false;
  info.pComment = "Again";
  EXPECT_EQ(printer->SetPrinter2A(info), platform::winerr::Success);
  EXPECT_EQ(Read().pComment, "Again");
}

// Windows reads dmSize + dmDriverExtra bytes of a device mode it is given: bytes that claim
// more than they hold are refused before any call, and nothing changes.
TEST_F(Win32PrintSpoolerTest, DeviceModeClaimingMoreThanItHoldsIsRefused) {
  platform::PrinterInfo2A info = Read();
  ASSERT_TRUE(info.pDevMode.has_value());
  const Bytes stored = *info.pDevMode;
  Bytes longExtra = stored;
  longExtra[dm::DriverExtraOffset] = 0xFF;
  const Bytes cut(stored.begin(), stored.end() - 1);
  const Bytes header(stored.begin(), stored.begin() + dm::DriverExtraOffset + 1);

  for (const Bytes& bad : {longExtra, cut, header, Bytes{}}) {
    info.pDevMode = bad;
    info.pComment = "must not be stored";
    EXPECT_EQ(printer->SetPrinter2A(info), platform::winerr::InvalidParameter) << bad.size();
    Bytes out{1, 2, 3};
    EXPECT_EQ(printer->DocumentPropertiesA(kPrinter, &out, &bad, kInOut), -1);
    EXPECT_EQ(out, (Bytes{1, 2, 3}));
  }
  EXPECT_EQ(Read().pComment, "Korvex Printers");
  EXPECT_EQ(Read().pDevMode, stored);

  platform::PrinterInfo2A added = PrinterRecord();
  added.pPrinterName = std::string(kPrinter) + " 2";
  added.pDevMode = cut;
  std::unique_ptr<platform::PrinterHandle> second;
  EXPECT_EQ(spooler.AddPrinterA(added, second), platform::winerr::InvalidParameter);
  EXPECT_EQ(second, nullptr);
  EXPECT_EQ(spooler.OpenPrinterA(*added.pPrinterName, platform::printeraccess::Use, second),
            platform::winerr::InvalidPrinterName);
}

TEST_F(Win32PrintSpoolerTest, PrinterDataReadsBackByteForByte) {
  // The Portuguese tray text as the system holds it: Windows-1252.
  const std::string table = std::string("Autom\xE1tico") + '\0' + "Thermal Paper 80 mm" + '\0' + "0" + '\0' + '\0';
  const Bytes multi(table.begin(), table.end());
  const Bytes map{'A', 'U', 'T', 'O', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  const Bytes size{14, 0, 0, 0};
  ASSERT_EQ(printer->SetPrinterDataA("TrayFormTable", REG_MULTI_SZ, multi), platform::winerr::Success);
  ASSERT_EQ(printer->SetPrinterDataA("TrayFormMap", REG_BINARY, map), platform::winerr::Success);
  ASSERT_EQ(printer->SetPrinterDataA("TrayFormMapSize", REG_DWORD, size), platform::winerr::Success);
  ASSERT_EQ(printer->SetPrinterDataA("Empty", REG_BINARY, {}), platform::winerr::Success);

  RawRecord raw(kPrinter);
  DWORD type = 0;
  Bytes data;
  ASSERT_TRUE(raw.Data("TrayFormTable", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(data, multi);
  ASSERT_TRUE(raw.Data("TrayFormMap", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(data, map);
  ASSERT_TRUE(raw.Data("TrayFormMapSize", type, data));
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(data, size);
  ASSERT_TRUE(raw.Data("Empty", type, data));
  EXPECT_TRUE(data.empty());
}

// SetPaperForm hands DocumentPropertiesA one buffer as input and output.
TEST_F(Win32PrintSpoolerTest, DocumentPropertiesTakesOneBufferAsInputAndOutput) {
  Bytes untouched{7};
  const platform::LONG size = printer->DocumentPropertiesA(kPrinter, &untouched, nullptr, 0);
  ASSERT_GT(size, 0);
  EXPECT_EQ(untouched, Bytes{7}) << "a size query writes nothing";

  Bytes mode;
  ASSERT_EQ(printer->DocumentPropertiesA(kPrinter, &mode, nullptr, platform::dmmode::OutBuffer),
            platform::dmmode::IdOk);
  ASSERT_EQ(mode.size(), static_cast<std::size_t>(size));
  auto* fields = reinterpret_cast<DEVMODEA*>(mode.data());
  fields->dmFields = DM_ORIENTATION;
  fields->dmOrientation = DMORIENT_LANDSCAPE;
  mode.resize(mode.size() + 50, 0xEE);  // longer than the driver's record: the output is cut to it

  ASSERT_EQ(printer->DocumentPropertiesA(kPrinter, &mode, &mode, kInOut), platform::dmmode::IdOk);
  ASSERT_EQ(mode.size(), static_cast<std::size_t>(size));
  EXPECT_EQ(reinterpret_cast<const DEVMODEA*>(mode.data())->dmOrientation, DMORIENT_LANDSCAPE);
}

// The installer's driver record: Unidrv modules, a data file and a list of dependent files.
TEST_F(Win32PrintSpoolerTest, DriverRecordReachesTheSpoolerAsGiven) {
  const std::string directory = spooler_test::DriverDirectory();
  for (const char* name : {"unidrv.dll", "unidrvui.dll", "kvxw32b.gpd", "unires.dll", "stdnames.gpd"})
    files.Make(directory + "\\" + name);
  struct Removal {
    ~Removal() {
      spooler_test::RemoveDriver("Kvx Win32 Unidrv");
      spooler_test::RemoveDriver("Kvx Win32 Unterminated");
    }
  } removal;

  platform::DriverInfo3A info;
  info.cVersion = 3;
  info.pName = "Kvx Win32 Unidrv";
  info.pDriverPath = "unidrv.dll";
  info.pDataFile = "kvxw32b.gpd";
  info.pConfigFile = "unidrvui.dll";
  info.pHelpFile = "unidrvui.dll";
  const std::string dependent = std::string("unires.dll") + '\0' + "stdnames.gpd" + '\0' + '\0';
  info.pDependentFiles = std::vector<char>(dependent.begin(), dependent.end());
  ASSERT_EQ(spooler.AddPrinterDriverA(info), platform::winerr::Success);
  // A list that lacks its final terminators is read as far as it goes, not past its end.
  info.pName = "Kvx Win32 Unterminated";
  info.pDependentFiles = std::vector<char>(dependent.begin(), dependent.end() - 2);
  ASSERT_EQ(spooler.AddPrinterDriverA(info), platform::winerr::Success);

  DWORD needed = 0, count = 0;
  EnumPrinterDriversA(nullptr, nullptr, 3, nullptr, 0, &needed, &count);
  std::vector<std::uint64_t> buffer(needed / 8 + 1);
  ASSERT_TRUE(
      EnumPrinterDriversA(nullptr, nullptr, 3, reinterpret_cast<BYTE*>(buffer.data()), needed, &needed, &count));
  const auto* drivers = reinterpret_cast<const DRIVER_INFO_3A*>(buffer.data());
  int found = 0;
  for (DWORD i = 0; i < count; ++i) {
    const DRIVER_INFO_3A& d = drivers[i];
    const std::string name = d.pName;
    if (name != "Kvx Win32 Unidrv" && name != "Kvx Win32 Unterminated") continue;
    ++found;
    SCOPED_TRACE(name);
    EXPECT_EQ(d.cVersion, 3u);
    EXPECT_STREQ(d.pEnvironment, "Windows x64");
    EXPECT_EQ(Tail(d.pDriverPath), "unidrv.dll");
    EXPECT_EQ(Tail(d.pDataFile), "kvxw32b.gpd");
    EXPECT_EQ(Tail(d.pConfigFile), "unidrvui.dll");
    EXPECT_EQ(Tail(d.pHelpFile), "unidrvui.dll");
    std::vector<std::string> dependents;
    for (const char* file = d.pDependentFiles; file && *file; file += std::strlen(file) + 1)
      dependents.push_back(Tail(file));
    EXPECT_EQ(dependents, (std::vector<std::string>{"unires.dll", "stdnames.gpd"}));
  }
  EXPECT_EQ(found, 2);
}

// GetPrinterA answers ERROR_INVALID_HANDLE for a closed handle. Windows and Wine both hand out
// the slot freed last, so a printer opened right after `probe` was closed gets its value.
// What a removal calls, in its order, with Windows' answers; where Wine 8 departs, its own answer
// (measured): no level-0 purge (124), forms calls that succeed whatever they are given, and a
// DeletePrinterDriverExA that takes no delete flags (87).
TEST_F(Win32PrintSpoolerTest, RemovalCallsTakeBackWhatWasAdded) {
  using platform::winerr::Success;
  namespace winerr = platform::winerr;
  const bool wine = wine_host::UnderWine();
  std::vector<platform::PrinterInfo2A> printers;
  ASSERT_EQ(spooler.EnumPrintersA(printers), Success);
  EXPECT_TRUE(std::any_of(printers.begin(), printers.end(), [](const auto& p) { return p.pPrinterName == kPrinter; }));
  std::unique_ptr<platform::PrinterHandle> all;
  ASSERT_EQ(spooler.OpenPrinterA(kPrinter, platform::printeraccess::AllAccess, all), Success);
  const platform::DWORD noLevel0 = ERROR_INVALID_LEVEL;
  EXPECT_EQ(all->SetPrinterControl(platform::printercontrol::Purge), wine ? noLevel0 : Success);

  platform::FormInfo1A form;
  form.pName = "Kvx test form 80mm";
  form.width = form.imageableRight = 80000;
  form.height = form.imageableBottom = 300000;
  EXPECT_EQ(all->AddFormA(form), Success);
  EXPECT_EQ(all->AddFormA(form), wine ? Success : winerr::FileExists);
  EXPECT_EQ(all->DeleteFormA(form.pName), Success);
  EXPECT_EQ(all->DeleteFormA(form.pName), wine ? Success : winerr::InvalidFormName);

  const platform::DWORD flags = platform::dpd::DeleteUnusedFiles;
  EXPECT_EQ(spooler.DeletePrinterDriverExA(kDriver, flags, 0), wine ? winerr::InvalidParameter : winerr::PrinterDriverInUse);
  printer.reset();
  ASSERT_EQ(all->DeletePrinter(), Success);
  all.reset();
  std::unique_ptr<platform::PrinterHandle> none;
  EXPECT_EQ(spooler.OpenPrinterA(kPrinter, 0, none), winerr::InvalidPrinterName);
  EXPECT_EQ(spooler.DeletePrinterDriverExA(kDriver, flags, 0), wine ? winerr::InvalidParameter : Success);
  if (!wine) {
    EXPECT_EQ(spooler.DeletePrinterDriverExA(kDriver, flags, 0), winerr::UnknownPrinterDriver);
  }
}

TEST_F(Win32PrintSpoolerTest, PrinterObjectsCloseTheirHandles) {
  auto valid = [](HANDLE handle) {
    DWORD needed = 0;
    GetPrinterA(handle, 2, nullptr, 0, &needed);
    return GetLastError() != ERROR_INVALID_HANDLE;
  };
  // `prepare` may open and close handles of its own: the slot freed last stays the same.
  auto expectClosedOnDestruction = [&](auto prepare, auto open, const char* what) {
    HANDLE probe = nullptr;
    PRINTER_DEFAULTSA defaults{nullptr, nullptr, PRINTER_ACCESS_USE};
    ASSERT_TRUE(OpenPrinterA(const_cast<char*>(kPrinter), &probe, &defaults));
    ClosePrinter(probe);
    prepare();
    {
      std::unique_ptr<platform::PrinterHandle> handle;
      ASSERT_EQ(open(handle), platform::winerr::Success) << what;
      if (!valid(probe)) GTEST_SKIP() << what << ": the printer did not take the freed handle";
    }
    EXPECT_FALSE(valid(probe)) << what << " left its handle open";
  };
  expectClosedOnDestruction(
      [] {}, [&](auto& handle) { return spooler.OpenPrinterA(kPrinter, platform::printeraccess::Use, handle); },
      "OpenPrinterA");
  expectClosedOnDestruction([] { spooler_test::RemovePrinter(kPrinter); },
                            [&](auto& handle) { return spooler.AddPrinterA(PrinterRecord(), handle); }, "AddPrinterA");
}

}  // namespace

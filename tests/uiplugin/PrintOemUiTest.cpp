// The printer UI interface's methods other than DevMode: the information query, the driver interface,
// the printer-properties hook, the device property sheet and the colour profile. (The slots left to the
// driver are called once each by the host scenarios.)
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/uiplugin/PluginTestSupport.h"
#include "tests/uiplugin/host/PluginHost.h"

namespace {

using oemui::DWORD;
using oemui::HRESULT;
namespace hr = oemui::hresult;
namespace winerr = platform::winerr;
using plugintest::Com;
using plugintest::PluginTest;

constexpr DWORD Untouched = 0xA5A5A5A5;
constexpr DWORD NoError = 0;

class UiTest : public PluginTest {
protected:
  void SetUp() override {
    PluginTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(NewUi(ui));
  }
  void TearDown() override {
    ui.Reset();
    PluginTest::TearDown();
  }
  Com<oemui::IPrintOemUI> ui;
};

TEST_F(UiTest, GetInfoAnswersSignatureAndVersionInFourBytes) {
  struct Row {
    DWORD mode;
    DWORD bufferSize;  // 0 with noBuffer: a null buffer
    bool noBuffer, noNeeded;
    HRESULT result;
    DWORD lastError, needed, value;
  };
  const std::vector<Row> rows = {
      {1, 4, false, false, hr::Ok, NoError, 4, 0x4D534654},
      {3, 4, false, false, hr::Ok, NoError, 4, 1},
      {1, 16, false, false, hr::Ok, NoError, 4, 0x4D534654},
      {2, 4, false, false, hr::Fail, winerr::InvalidParameter, Untouched, Untouched},
      {0, 4, false, false, hr::Fail, winerr::InvalidParameter, Untouched, Untouched},
      {5, 4, false, false, hr::Fail, winerr::InvalidParameter, Untouched, Untouched},
      {1, 4, false, true, hr::Fail, winerr::InvalidParameter, Untouched, Untouched},
      {1, 3, false, false, hr::Fail, winerr::InsufficientBuffer, 4, Untouched},
      {3, 64, true, false, hr::Fail, winerr::InsufficientBuffer, 4, Untouched},
      {4, 3, false, false, hr::Fail, winerr::InsufficientBuffer, 4, Untouched},
      {4, 64, false, false, hr::Fail, winerr::NotSupported, 0, Untouched},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "mode " << row.mode << ", " << row.bufferSize << " bytes");
    DWORD buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), Untouched);
    DWORD needed = Untouched;
    p.lastError.SetLastError(NoError);
    EXPECT_EQ(ui->GetInfo(row.mode, row.noBuffer ? nullptr : buffer, row.bufferSize, row.noNeeded ? nullptr : &needed),
              row.result);
    EXPECT_EQ(machine->lastError().GetLastError(), row.lastError);
    EXPECT_EQ(needed, row.needed);
    EXPECT_EQ(buffer[0], row.value);
    EXPECT_EQ(buffer[1], Untouched);
  }
}

TEST_F(PluginTest, PublishDriverInterfaceKeepsTheFirstDriverThatAnswers) {
  struct Row {
    const char* what;
    bool firstAnswers;  // the second always answers
    HRESULT first, second;
    bool secondAsked;
  };
  const std::vector<Row> rows = {
      {"a driver that answers, then another", true, hr::Ok, hr::Ok, false},
      {"a driver that refuses, then one that answers", false, hr::Fail, hr::Ok, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    pluginhost::HostDriver first(row.firstAnswers), second(true);
    Com<oemui::IPrintOemUI> ui;
    ASSERT_NO_FATAL_FAILURE(NewUi(ui));
    EXPECT_EQ(ui->PublishDriverInterface(&first), row.first);
    EXPECT_EQ(ui->PublishDriverInterface(&second), row.second);
    EXPECT_EQ(second.asked, row.secondAsked ? 1 : 0);
    pluginhost::HostDriver& kept = row.firstAnswers ? first : second;
    EXPECT_EQ(kept.refs, 2) << "held by the UI object";
    ui.Reset();
    EXPECT_EQ(first.refs, 1) << "released with the UI object";
    EXPECT_EQ(second.refs, 1);
  }
  Com<oemui::IPrintOemUI> ui;
  ASSERT_NO_FATAL_FAILURE(NewUi(ui));
  EXPECT_EQ(ui->PublishDriverInterface(nullptr), hr::Fail);
}

TEST_F(UiTest, CommonUIPropRecordsThePrinterInEveryModeAndAddsNoItems) {
  struct Row {
    DWORD mode;
    std::u16string name;
    HRESULT result;
    DWORD lastError, optItems;
    std::u16string recorded;
  };
  const std::u16string longName(300, u'x');
  const std::vector<Row> rows = {
      {2, u"RQ-7200 TH", hr::Ok, NoError, 0, u"RQ-7200 TH"},
      {1, u"Mini Impressora \u00e9", hr::NotImpl, NoError, 5, u"Mini Impressora \u00e9"},
      {3, u"Other", hr::Fail, winerr::InvalidParameter, 5, u"Other"},
      {0, u"", hr::Fail, winerr::InvalidParameter, 5, u""},
      {2, longName, hr::Ok, NoError, 0, longName.substr(0, 255)},
  };
  int handleTag = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "mode " << row.mode << ", name of " << row.name.size());
    std::u16string name = row.name;
    oemui::OEMCUIPPARAM param{};
    param.cbSize = sizeof param;
    param.hPrinter = &handleTag + row.mode;
    param.pPrinterName = name.data();
    param.cOEMOptItems = 5;
    p.lastError.SetLastError(NoError);
    EXPECT_EQ(ui->CommonUIProp(row.mode, &param), row.result);
    EXPECT_EQ(machine->lastError().GetLastError(), row.lastError);
    EXPECT_EQ(param.cOEMOptItems, row.optItems);
    EXPECT_EQ(uiplugin::CurrentPrinter().name, row.recorded);
    EXPECT_EQ(uiplugin::CurrentPrinter().handle, &handleTag + row.mode);
  }
  EXPECT_EQ(ui->CommonUIProp(2, nullptr), hr::Fail);
  EXPECT_EQ(machine->lastError().GetLastError(), winerr::InvalidParameter);
}

// The sheet's callback: records each page it is asked to add and answers with a number of its own.
struct SheetRecorder {
  std::vector<oemui::PROPSHEETPAGEW_V2> pages;
  std::vector<oemui::UINT> functions;
  std::vector<oemui::LPARAM> secondParams;

  static oemui::LONG_PTR KVX_STDCALL Callback(oemui::HANDLE sheet, oemui::UINT function, oemui::LPARAM lParam1,
                                              oemui::LPARAM lParam2) {
    auto* self = static_cast<SheetRecorder*>(sheet);
    self->functions.push_back(function);
    self->secondParams.push_back(lParam2);
    self->pages.push_back(*reinterpret_cast<const oemui::PROPSHEETPAGEW_V2*>(lParam1));
    return static_cast<oemui::LONG_PTR>(100 + self->pages.size());
  }
};

TEST_F(UiTest, DevicePropertySheetsAddsTheTwoPagesOnInitialisation) {
  SheetRecorder sheet;
  oemui::PROPSHEETUI_INFO info = pluginhost::InitialisingSheet(&sheet, &SheetRecorder::Callback);
  ASSERT_EQ(ui->DevicePropertySheets(&info, 0), hr::Ok);
  EXPECT_EQ(info.Result, 102u) << "the second add's result";
  ASSERT_EQ(sheet.pages.size(), 2u);
  const std::uintptr_t templates[] = {106, 107};
  for (std::size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(templates[i]);
    const oemui::PROPSHEETPAGEW_V2& page = sheet.pages[i];
    EXPECT_EQ(sheet.functions[i], oemui::CpsFuncAddPropSheetPageW);
    EXPECT_EQ(sheet.secondParams[i], 0);
    EXPECT_EQ(page.dwSize, sizeof(oemui::PROPSHEETPAGEW_V2));
    EXPECT_EQ(page.dwFlags, 0u);
    EXPECT_EQ(page.hInstance, &instance);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(page.pszTemplate), templates[i]);
    ASSERT_NE(page.pfnDlgProc, nullptr);
    EXPECT_EQ(page.pfnDlgProc(nullptr, oemui::WmInitDialog, 0, 0), 0) << "no kit attached: no page";
    EXPECT_EQ(page.pfnDlgProc(nullptr, oemui::WmNotify, 0, 0), 0);
  }
  EXPECT_NE(sheet.pages[0].pfnDlgProc, sheet.pages[1].pfnDlgProc) << "one procedure per page";
}

TEST_F(UiTest, DevicePropertySheetsAnswersEachReason) {
  constexpr oemui::ULONG_PTR Before = 77;
  struct Row {
    const char* what;
    bool noInfo;
    oemui::WORD version, reason;
    HRESULT result;
    DWORD lastError;
    oemui::ULONG_PTR sheetResult;
  };
  const std::vector<Row> rows = {
      {"information header", false, 0x100, oemui::psuireason::GetInfoHeader, hr::Ok, NoError, 1},
      {"destroy", false, 0x100, oemui::psuireason::Destroy, hr::Ok, NoError, 1},
      {"set result", false, 0x100, oemui::psuireason::SetResult, hr::Ok, NoError, 0x1234},
      {"get icon", false, 0x100, oemui::psuireason::GetIcon, hr::Ok, NoError, 0},
      {"a reason to come", false, 0x100, 5, hr::Ok, NoError, Before},
      {"an older version", false, 0xFF, oemui::psuireason::GetInfoHeader, hr::Fail, winerr::InvalidParameter, Before},
      {"a newer version", false, 0x101, oemui::psuireason::Init, hr::Fail, winerr::InvalidParameter, Before},
      {"no information", true, 0x100, oemui::psuireason::Destroy, hr::Fail, winerr::InvalidParameter, Before},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SheetRecorder sheet;
    oemui::PROPSHEETUI_INFO info{};
    info.cbSize = sizeof info;
    info.Version = row.version;
    info.Reason = row.reason;
    info.hComPropSheet = &sheet;
    info.pfnComPropSheet = &SheetRecorder::Callback;
    info.Result = Before;
    oemui::PROPSHEETUI_INFO_HEADER header{};
    oemui::SETRESULT_INFO set{};
    set.Result = 0x1234;
    const oemui::LPARAM lParam = row.reason == oemui::psuireason::SetResult
                                     ? reinterpret_cast<oemui::LPARAM>(&set)
                                     : reinterpret_cast<oemui::LPARAM>(&header);
    p.lastError.SetLastError(NoError);
    EXPECT_EQ(ui->DevicePropertySheets(row.noInfo ? nullptr : &info, lParam), row.result);
    EXPECT_EQ(machine->lastError().GetLastError(), row.lastError);
    EXPECT_EQ(info.Result, row.sheetResult);
    EXPECT_TRUE(sheet.pages.empty());
    const bool titled = row.result == hr::Ok && row.reason == oemui::psuireason::GetInfoHeader;
    EXPECT_EQ(header.pTitle ? std::u16string(header.pTitle) : u"(none)", titled ? u"OEM UI Page" : u"(none)");
  }
}

TEST_F(UiTest, QueryColorProfileNamesTheProfileFileInThirtyTwoBytes) {
  struct Row {
    oemui::ULONG queryMode;
    bool noData;
    oemui::ULONG size;
    HRESULT result;
    DWORD lastError;
    oemui::ULONG sizeAfter;
    oemui::FLONG flags;
    std::u16string text;
  };
  const std::vector<Row> rows = {
      {0, false, 32, hr::Ok, NoError, 32, 2, u"OEMPROFILE.icm"},
      {0, false, 40, hr::Ok, NoError, 32, 2, u"OEMPROFILE.icm"},
      {0, false, 31, hr::Fail, winerr::InsufficientBuffer, 32, Untouched, u""},
      {0, true, 40, hr::Fail, winerr::InsufficientBuffer, 32, Untouched, u""},
      {1, false, 40, hr::Fail, NoError, 40, Untouched, u""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "query " << row.queryMode << ", " << row.size << " bytes");
    char16_t data[20] = {};
    oemui::ULONG size = row.size;
    oemui::FLONG flags = Untouched;
    p.lastError.SetLastError(NoError);
    EXPECT_EQ(ui->QueryColorProfile(nullptr, nullptr, nullptr, nullptr, row.queryMode, row.noData ? nullptr : data,
                                    &size, &flags),
              row.result);
    EXPECT_EQ(machine->lastError().GetLastError(), row.lastError);
    EXPECT_EQ(size, row.sizeAfter);
    EXPECT_EQ(flags, row.flags);
    EXPECT_EQ(std::u16string(data), row.text);
    EXPECT_EQ(data[16], 0) << "nothing past the 32 bytes";
  }
}

}  // namespace

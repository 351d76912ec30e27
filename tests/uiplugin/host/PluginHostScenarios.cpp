// The plug-in module as the printer driver's UI core uses it, through its exports only: the factory,
// the UI object, each of its methods once with real records and calls back into the host, and the
// private device mode against a printer of the host's spooler. Shared by every host program.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/uiplugin/host/PluginHost.h"

namespace {

using oemui::DWORD;
using oemui::HRESULT;
namespace hr = oemui::hresult;

constexpr DWORD Signature = 0x4D534654;
constexpr DWORD InvalidParameter = 87;

// The property sheet of the host, called by the module for each page.
struct HostSheet {
  std::vector<oemui::PROPSHEETPAGEW_V2> pages;
  static oemui::LONG_PTR KVX_STDCALL Add(oemui::HANDLE sheet, oemui::UINT function, oemui::LPARAM page,
                                         oemui::LPARAM) {
    if (function != oemui::CpsFuncAddPropSheetPageW) return 0;
    auto* self = static_cast<HostSheet*>(sheet);
    self->pages.push_back(*reinterpret_cast<const oemui::PROPSHEETPAGEW_V2*>(page));
    return 0x50 + static_cast<oemui::LONG_PTR>(self->pages.size());
  }
};

struct PrivateDevmode {
  DWORD words[5];
};

class PluginHostTest : public testing::Test {
protected:
  void SetUp() override {
    host = pluginhost::OpenPluginHost();
    ASSERT_NE(host, nullptr);
    ASSERT_NE(host->getClassObject, nullptr);
    ASSERT_NE(host->canUnloadNow, nullptr);
  }

  // Through the exports, as the driver core does: the factory, then the UI object.
  oemui::IPrintOemUI* CreateUi() {
    oemui::IClassFactory* factory = nullptr;
    EXPECT_EQ(host->getClassObject(oemui::ClsidOemUi, oemui::IidClassFactory, reinterpret_cast<void**>(&factory)),
              hr::Ok);
    if (factory == nullptr) return nullptr;
    oemui::IPrintOemUI* ui = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, oemui::IidPrintOemUi, reinterpret_cast<void**>(&ui)), hr::Ok);
    EXPECT_EQ(factory->Release(), 0u);
    return ui;
  }

  PrivateDevmode DevMode(oemui::IPrintOemUI& ui, DWORD mode, PrivateDevmode in) {
    PrivateDevmode out = {{20, Signature, 1, 2, 1}};
    oemui::OEMDMPARAM param{};
    param.cbSize = sizeof param;
    param.hPrinter = host->printer;
    param.pOEMDMIn = &in;
    param.pOEMDMOut = &out;
    param.cbBufSize = sizeof out;
    EXPECT_EQ(ui.DevMode(mode, &param), hr::Ok);
    return out;
  }

  std::unique_ptr<pluginhost::PluginHost> host;
};

TEST_F(PluginHostTest, ExportsHandOutTheFactoryAndTheUiObjectAndAllowUnloadAfterTheLastRelease) {
  EXPECT_EQ(host->canUnloadNow(), hr::Ok);
  void* object = &object;
  EXPECT_EQ(host->getClassObject(oemui::IidPrintOemUi, oemui::IidClassFactory, &object), hr::ClassNotAvailable);
  EXPECT_EQ(object, nullptr);

  oemui::IClassFactory* factory = nullptr;
  ASSERT_EQ(host->getClassObject(oemui::ClsidOemUi, oemui::IidClassFactory, reinterpret_cast<void**>(&factory)),
            hr::Ok);
  ASSERT_NE(factory, nullptr);
  EXPECT_EQ(host->canUnloadNow(), hr::False);
  EXPECT_EQ(factory->LockServer(1), hr::Ok);
  oemui::IPrintOemUI* ui = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, oemui::IidPrintOemUi, reinterpret_cast<void**>(&ui)), hr::Ok);
  ASSERT_NE(ui, nullptr);
  EXPECT_EQ(factory->CreateInstance(factory, oemui::IidPrintOemUi, &object), hr::NoAggregation);
  EXPECT_EQ(factory->Release(), 0u);
  EXPECT_EQ(host->canUnloadNow(), hr::False) << "a UI object and a lock";
  EXPECT_EQ(ui->Release(), 0u);
  EXPECT_EQ(host->canUnloadNow(), hr::False) << "a lock";

  ASSERT_EQ(host->getClassObject(oemui::ClsidOemUi, oemui::IidUnknown, reinterpret_cast<void**>(&factory)), hr::Ok);
  EXPECT_EQ(factory->LockServer(0), hr::Ok);
  EXPECT_EQ(factory->Release(), 0u);
  EXPECT_EQ(host->canUnloadNow(), hr::Ok);
}

TEST_F(PluginHostTest, EveryMethodAnswersWithRealRecordsAndCallsBackIntoTheHost) {
  oemui::IPrintOemUI* ui = CreateUi();
  ASSERT_NE(ui, nullptr);

  DWORD value = 0, needed = 0;
  EXPECT_EQ(ui->GetInfo(oemui::oemgi::GetSignature, &value, sizeof value, &needed), hr::Ok);
  EXPECT_EQ(value, Signature);
  host->SetLastError(0);
  EXPECT_EQ(ui->GetInfo(oemui::oemgi::GetInterfaceVersion, &value, sizeof value, &needed), hr::Fail);
  EXPECT_EQ(host->LastError(), InvalidParameter) << "the module's last error is the thread's";

  oemui::OEMDMPARAM sizeParam{};
  sizeParam.cbSize = sizeof sizeParam;
  EXPECT_EQ(ui->DevMode(oemui::oemdm::Size, &sizeParam), hr::Ok);
  EXPECT_EQ(sizeParam.cbBufSize, 20u);

  pluginhost::HostDriver driver;
  EXPECT_EQ(ui->PublishDriverInterface(&driver), hr::Ok);
  EXPECT_EQ(driver.refs, 2);

  std::u16string name = u"Kvx Host Printer";
  oemui::OEMCUIPPARAM common{};
  common.cbSize = sizeof common;
  common.hPrinter = host->printer;
  common.pPrinterName = name.data();
  common.cOEMOptItems = 3;
  EXPECT_EQ(ui->CommonUIProp(oemui::oemcuip::PrnProp, &common), hr::Ok);
  EXPECT_EQ(common.cOEMOptItems, 0u);

  HostSheet sheet;
  oemui::PROPSHEETUI_INFO info = pluginhost::InitialisingSheet(&sheet, &HostSheet::Add);
  EXPECT_EQ(ui->DocumentPropertySheets(&info, 0), hr::NotImpl);
  EXPECT_EQ(ui->DevicePropertySheets(&info, 0), hr::Ok);
  ASSERT_EQ(sheet.pages.size(), 2u);
  EXPECT_EQ(info.Result, 0x52u);
  for (std::size_t i = 0; i < 2; ++i) {
    const oemui::PROPSHEETPAGEW_V2& page = sheet.pages[i];
    EXPECT_EQ(page.hInstance, host->instance);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(page.pszTemplate), 106u + i);
    EXPECT_NE(page.pfnDlgProc, nullptr);
  }
  oemui::PROPSHEETUI_INFO_HEADER header{};
  header.cbSize = sizeof header;
  info.Reason = oemui::psuireason::GetInfoHeader;
  EXPECT_EQ(ui->DevicePropertySheets(&info, reinterpret_cast<oemui::LPARAM>(&header)), hr::Ok);
  ASSERT_NE(header.pTitle, nullptr);
  EXPECT_EQ(std::u16string(header.pTitle), u"OEM UI Page");

  DWORD capability = 0;
  EXPECT_EQ(ui->DevQueryPrintEx(nullptr, nullptr, nullptr, nullptr), hr::NotImpl);
  EXPECT_EQ(ui->DeviceCapabilities(nullptr, host->printer, name.data(), 1, nullptr, nullptr, nullptr, 0, &capability),
            hr::NotImpl);
  EXPECT_EQ(ui->UpgradePrinter(1, nullptr), hr::NotImpl);
  EXPECT_EQ(ui->PrinterEvent(name.data(), 1, 0, 0), hr::NotImpl);
  EXPECT_EQ(ui->DriverEvent(1, 3, nullptr, 0), hr::NotImpl);
  EXPECT_EQ(ui->FontInstallerDlgProc(nullptr, oemui::WmInitDialog, 0, 0), hr::NotImpl);
  EXPECT_EQ(ui->UpdateExternalFonts(host->printer, nullptr, nullptr), hr::NotImpl);

  char16_t profile[16] = {};
  oemui::ULONG size = sizeof profile;
  oemui::FLONG flags = 0;
  EXPECT_EQ(ui->QueryColorProfile(host->printer, nullptr, nullptr, nullptr, oemui::qcp::DeviceProfile, profile, &size,
                                  &flags),
            hr::Ok);
  EXPECT_EQ(std::u16string(profile), u"OEMPROFILE.icm");
  EXPECT_EQ(flags, oemui::qcp::ProfileDisk);

  EXPECT_EQ(ui->Release(), 0u);
  EXPECT_EQ(driver.refs, 1) << "the driver interface is released with the object";
  EXPECT_EQ(host->canUnloadNow(), hr::Ok);
}

TEST_F(PluginHostTest, DevModeTakesTheLineFeedsFromThePrintersData) {
  oemui::IPrintOemUI* ui = CreateUi();
  ASSERT_NE(ui, nullptr);
  const PrivateDevmode stored = {{20, Signature, 1, 3, 0}};
  for (const DWORD mode : {oemui::oemdm::Convert, oemui::oemdm::Merge}) {
    const PrivateDevmode out = DevMode(*ui, mode, stored);
    EXPECT_EQ(out.words[3], 7u) << "mode " << mode;
    EXPECT_EQ(out.words[4], 0u) << "mode " << mode << ": no compression value in the printer's data";
  }
  const PrivateDevmode foreign = DevMode(*ui, oemui::oemdm::Convert, {{20, 0x12345678, 1, 3, 0}});
  EXPECT_EQ(foreign.words[3], 2u) << "a foreign section gives the defaults";
  EXPECT_EQ(ui->Release(), 0u);
}

}  // namespace

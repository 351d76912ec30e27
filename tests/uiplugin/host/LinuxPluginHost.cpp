// The Linux host of the plug-in scenarios: loads libTolvUIRQ7K.so with dlopen and attaches it to a
// simulated machine with one printer, as process attach hands a Windows module its instance.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/sim/SimMachine.h"
#include "tests/ui/headless/PluginResources.h"
#include "tests/uiplugin/host/PluginHost.h"
#include "ui/headless/HeadlessKit.h"
#include "ui/headless/HeadlessWindow.h"
#include "uiplugin/main/LinuxExports.h"

namespace {

class LinuxPluginHost final : public pluginhost::PluginHost {
public:
  LinuxPluginHost() {
    platform::sim::SpoolerPrinter printerRecord;
    printerRecord.name = "Kvx Host Printer";
    printerRecord.port = "COM1:";
    printerRecord.driver = "RQ-7200 TH";
    printerRecord.printerData.push_back({"TOLV_LINE_FEEDS_VALUE", 4, {7, 0, 0, 0}});
    machine_->spooler().Edit([&](platform::sim::SpoolerState& s) { s.printers.push_back(printerRecord); });
    EXPECT_EQ(platform_.spooler.OpenPrinterA(printerRecord.name, platform::printeraccess::AllAccess, printer_), 0u);
    if (printer_) printer = printer_->Raw();
  }

  ~LinuxPluginHost() override {
    if (module_ == nullptr) return;
    if (attach_ != nullptr) attach_(nullptr, nullptr, nullptr);
    dlclose(module_);
  }

  bool Load() {
    module_ = dlopen(KVX_PLUGIN_MODULE, RTLD_NOW | RTLD_LOCAL);
    if (module_ == nullptr) {
      ADD_FAILURE() << "dlopen " << KVX_PLUGIN_MODULE << ": " << dlerror();
      return false;
    }
    getClassObject = reinterpret_cast<oemui::DllGetClassObjectFn>(dlsym(module_, "DllGetClassObject"));
    canUnloadNow = reinterpret_cast<oemui::DllCanUnloadNowFn>(dlsym(module_, "DllCanUnloadNow"));
    attach_ = reinterpret_cast<oemui::KvxPluginAttachFn>(dlsym(module_, "KvxPluginAttach"));
    if (attach_ == nullptr) {
      ADD_FAILURE() << "no KvxPluginAttach in " << KVX_PLUGIN_MODULE;
      return false;
    }
    instance = module_;
    attach_(instance, &platform_, &kit);
    return true;
  }

  std::uint32_t LastError() override { return machine_->lastError().GetLastError(); }
  void SetLastError(std::uint32_t code) override { platform_.lastError.SetLastError(code); }

  platform::sim::SimMachine& machine() { return *machine_; }

  ui::headless::ScriptedUser user;
  ui::headless::HeadlessKit kit{ui::headless::testing::PluginResources(), 0x0409, user};

private:
  std::unique_ptr<platform::sim::SimMachine> machine_ = platform::sim::SimMachine::InMemory();
  platform::Platform platform_ = machine_->platform();
  std::unique_ptr<platform::PrinterHandle> printer_;
  void* module_ = nullptr;
  oemui::KvxPluginAttachFn attach_ = nullptr;
};

// The sheet side: keeps the page records the module adds.
oemui::LONG_PTR AddPage(oemui::HANDLE sheet, oemui::UINT, oemui::LPARAM page, oemui::LPARAM) {
  auto& pages = *static_cast<std::vector<oemui::PROPSHEETPAGEW_V2>*>(sheet);
  pages.push_back(*reinterpret_cast<const oemui::PROPSHEETPAGEW_V2*>(page));
  return static_cast<oemui::LONG_PTR>(pages.size());
}

// The page procedures as a sheet calls them, with window messages and their records; the pages' windows
// are the kit's in-memory ones.
TEST(LinuxPluginPages, ProceduresTurnWindowMessagesIntoThePagesWork) {
  LinuxPluginHost host;
  ASSERT_TRUE(host.Load());
  oemui::IClassFactory* factory = nullptr;
  ASSERT_EQ(host.getClassObject(oemui::ClsidOemUi, oemui::IidClassFactory, reinterpret_cast<void**>(&factory)), 0);
  oemui::IPrintOemUI* ui = nullptr;
  ASSERT_EQ(factory->CreateInstance(nullptr, oemui::IidPrintOemUi, reinterpret_cast<void**>(&ui)), 0);
  factory->Release();
  std::u16string name = u"Kvx Host Printer";
  oemui::OEMCUIPPARAM common{};
  common.cbSize = sizeof common;
  common.hPrinter = host.printer;
  common.pPrinterName = name.data();
  ASSERT_EQ(ui->CommonUIProp(oemui::oemcuip::PrnProp, &common), 0);
  std::vector<oemui::PROPSHEETPAGEW_V2> pages;
  oemui::PROPSHEETUI_INFO info = pluginhost::InitialisingSheet(&pages, &AddPage);
  ASSERT_EQ(ui->DevicePropertySheets(&info, 0), 0);
  ASSERT_EQ(pages.size(), 2u);
  auto transfer = pages[0].pfnDlgProc;
  auto fonts = pages[1].pfnDlgProc;
  int transferWindow = 0, fontWindow = 0;  // their addresses name the windows

  const auto init = [&](oemui::DLGPROC proc, int& window, oemui::PROPSHEETPAGEW_V2& page) {
    return proc(&window, oemui::WmInitDialog, 0, reinterpret_cast<oemui::LPARAM>(&page));
  };
  EXPECT_EQ(init(fonts, fontWindow, pages[1]), 1);
  std::vector<std::uint8_t> data;
  platform::DWORD type = 0, needed = 0;
  ASSERT_EQ(host.machine().platform().spooler.GetPrinterDataW(host.printer, u"TTFontSubTableEnable", 4, type, data,
                                                            needed),
            0u);
  EXPECT_EQ(data, (std::vector<std::uint8_t>{1, 0, 0, 0}));
  ui::headless::HeadlessWindow* fontPage = host.kit.FindBoundPage(&fontWindow);
  ASSERT_NE(fontPage, nullptr);
  ASSERT_GT(fontPage->ListItemCount(1008), 1);

  EXPECT_EQ(fonts(&fontWindow, oemui::WmShowWindow, 1, 0), 1);
  EXPECT_EQ(fontPage->GetTextW(1011, 256), fontPage->ListItemTextW(1008, 0, 0, 256)) << "the first row is clicked";
  oemui::NMITEMACTIVATE click{};
  click.hdr.idFrom = 1008;
  click.hdr.code = oemui::NmClick;
  click.iItem = 1;
  EXPECT_EQ(fonts(&fontWindow, oemui::WmNotify, 1008, reinterpret_cast<oemui::LPARAM>(&click)), 1);
  EXPECT_EQ(fontPage->GetTextW(1011, 256), fontPage->ListItemTextW(1008, 1, 0, 256));
  click.hdr.code = static_cast<oemui::UINT>(-12);  // NM_CUSTOMDRAW: not the page's
  EXPECT_EQ(fonts(&fontWindow, oemui::WmNotify, 1008, reinterpret_cast<oemui::LPARAM>(&click)), 0);
  EXPECT_EQ(fonts(&fontWindow, oemui::WmCommand, 1016, 0), 1);  // Save Fonts: nothing chosen
  ASSERT_EQ(host.machine().platform().spooler.GetPrinterDataW(host.printer, u"TTFontSubTableSize", 4, type, data,
                                                            needed),
            0u);
  EXPECT_EQ(data, (std::vector<std::uint8_t>{1, 0, 0, 0}));
  fontPage->ComboSetCurSel(1012, -1);
  EXPECT_EQ(fonts(&fontWindow, oemui::WmCommand, 1012 | (1 << 16), 0), 0) << "a font change with nothing chosen";
  EXPECT_EQ(fonts(&fontWindow, oemui::WmNcDestroy, 0, 0), 0);
  EXPECT_EQ(host.kit.FindBoundPage(&fontWindow), nullptr);
  EXPECT_EQ(fonts(&fontWindow, oemui::WmCommand, 1016, 0), 0) << "no page behind a destroyed window";

  EXPECT_EQ(init(transfer, transferWindow, pages[0]), 0);
  EXPECT_EQ(transfer(&transferWindow, oemui::WmCommand, 1008, 0), 0) << "export, file dialog cancelled";
  ASSERT_EQ(host.kit.FileDialogs().size(), 1u);
  EXPECT_TRUE(host.kit.FileDialogs()[0].save);
  EXPECT_TRUE(host.kit.MessageBoxes().empty());
  EXPECT_EQ(transfer(&transferWindow, oemui::WmCommand, 1007 | (1 << 16), 0), 1) << "not a click";
  EXPECT_EQ(transfer(&transferWindow, oemui::WmNcDestroy, 0, 0), 0);
  EXPECT_EQ(ui->Release(), 0u);
}

}  // namespace

std::unique_ptr<pluginhost::PluginHost> pluginhost::OpenPluginHost() {
  auto host = std::make_unique<LinuxPluginHost>();
  if (!host->Load()) return nullptr;
  return host;
}

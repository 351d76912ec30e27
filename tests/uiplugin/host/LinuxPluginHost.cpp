// The Linux host of the plug-in scenarios: loads libTolvUIRQ7K.so with dlopen and attaches it to a
// simulated machine with one printer, as process attach hands a Windows module its instance.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include "platform/plugin/linux/PluginExports.h"
#include "platform/sim/SimMachine.h"
#include "tests/uiplugin/host/PluginHost.h"

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
    EXPECT_EQ(platform_.spooler.OpenPrinterA(printerRecord.name, platform::printeraccess::Use, printer_), 0u);
    if (printer_) printer = printer_->Raw();
  }

  ~LinuxPluginHost() override {
    if (module_ == nullptr) return;
    if (attach_ != nullptr) attach_(nullptr, nullptr);
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
    attach_(instance, &platform_);
    return true;
  }

  std::uint32_t LastError() override { return platform_.lastError.GetLastError(); }
  void SetLastError(std::uint32_t code) override { platform_.lastError.SetLastError(code); }

private:
  std::unique_ptr<platform::sim::SimMachine> machine_ = platform::sim::SimMachine::InMemory();
  platform::Platform platform_ = machine_->platform();
  std::unique_ptr<platform::PrinterHandle> printer_;
  void* module_ = nullptr;
  oemui::KvxPluginAttachFn attach_ = nullptr;
};

}  // namespace

std::unique_ptr<pluginhost::PluginHost> pluginhost::OpenPluginHost() {
  auto host = std::make_unique<LinuxPluginHost>();
  if (!host->Load()) return nullptr;
  return host;
}

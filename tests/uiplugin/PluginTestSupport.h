#pragma once
// The plug-in's objects in this process, working on a simulated machine.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/plugin/OemUiAbi.h"
#include "platform/sim/SimMachine.h"
#include "uiplugin/Exports.h"
#include "uiplugin/Module.h"

namespace plugintest {

// An owned interface pointer: released once at the end of the scope.
template <class T>
class Com {
public:
  Com() = default;
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  ~Com() { Reset(); }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  void** out() { return reinterpret_cast<void**>(&p_); }
  void Reset() {
    if (p_ != nullptr) p_->Release();
    p_ = nullptr;
  }

private:
  T* p_ = nullptr;
};

// A printer of the model on COM1 whose data holds `values`.
inline void AddPrinter(platform::sim::SimMachine& machine, const std::string& name,
                       const std::vector<platform::sim::PrinterDataValue>& values) {
  platform::sim::SpoolerPrinter printer;
  printer.name = name;
  printer.port = "COM1:";
  printer.driver = "RQ-7200 TH";
  printer.printerData = values;
  machine.spooler().Edit([&](platform::sim::SpoolerState& s) { s.printers.push_back(printer); });
}

class PluginTest : public testing::Test {
protected:
  void SetUp() override { uiplugin::Attach(&instance, &p); }
  void TearDown() override {
    EXPECT_EQ(uiplugin::TheModule().LiveObjectCount.load(), 0) << "objects left alive";
    EXPECT_EQ(uiplugin::TheModule().ServerLockCount.load(), 0) << "locks left held";
    uiplugin::Attach(nullptr, nullptr);
  }

  static std::int32_t Live() { return uiplugin::TheModule().LiveObjectCount.load(); }

  void NewFactory(Com<oemui::IClassFactory>& factory) {
    ASSERT_EQ(uiplugin::GetClassObject(oemui::ClsidOemUi, oemui::IidClassFactory, factory.out()), oemui::hresult::Ok);
  }

  void NewUi(Com<oemui::IPrintOemUI>& ui) {
    Com<oemui::IClassFactory> factory;
    ASSERT_NO_FATAL_FAILURE(NewFactory(factory));
    ASSERT_EQ(factory->CreateInstance(nullptr, oemui::IidPrintOemUi, ui.out()), oemui::hresult::Ok);
  }

  // A new printer of the machine whose data holds `values`, open for use (the one open before is closed).
  platform::RawPrinterHandle OpenPrinterWithData(const std::string& name,
                                                 const std::vector<platform::sim::PrinterDataValue>& values) {
    AddPrinter(*machine, name, values);
    EXPECT_EQ(p.spooler.OpenPrinterA(name, platform::printeraccess::Use, printerHandle), 0u);
    return printerHandle ? printerHandle->Raw() : nullptr;
  }

  int instance = 0;  // its address is the module's instance handle
  std::unique_ptr<platform::sim::SimMachine> machine = platform::sim::SimMachine::InMemory();
  platform::Platform p = machine->platform();
  std::unique_ptr<platform::PrinterHandle> printerHandle;
};

inline std::vector<std::uint8_t> Dword(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

// A text's bytes as the W calls store it: UTF-16, little-endian, no terminator added.
inline std::vector<std::uint8_t> Utf16(std::u16string_view text) {
  std::vector<std::uint8_t> bytes;
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<std::uint8_t>(unit));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return bytes;
}

}  // namespace plugintest

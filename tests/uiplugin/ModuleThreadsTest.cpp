// Reference counts, object counts and server locks under many threads at once: the module counts with
// interlocked operations only (the tsan preset proves it race-free).
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/uiplugin/PluginTestSupport.h"

namespace {

namespace hr = oemui::hresult;
using plugintest::PluginTest;

// Counts stay exact, and the printer that property sheets on several threads record is always one
// whole name, never parts of two.
TEST_F(PluginTest, CountsHoldWhenManyThreadsCreateAndReleaseObjects) {
  constexpr int Threads = 8;
  constexpr int Rounds = 300;
  std::atomic<int> failures{0};
  std::atomic<bool> go{false};
  // Every thread also shares one UI object with the others, adding and dropping references to it.
  oemui::IPrintOemUI* shared = nullptr;
  {
    plugintest::Com<oemui::IClassFactory> factory;
    NewFactory(factory);
    ASSERT_EQ(factory->CreateInstance(nullptr, oemui::IidPrintOemUi, reinterpret_cast<void**>(&shared)), hr::Ok);
  }
  const std::u16string names[] = {std::u16string(200, u'a'), std::u16string(200, u'b')};
  std::vector<std::thread> threads;
  for (int t = 0; t < Threads; ++t) {
    threads.emplace_back([&, t] {
      while (!go.load()) std::this_thread::yield();
      for (int round = 0; round < Rounds; ++round) {
        oemui::IClassFactory* factory = nullptr;
        if (uiplugin::GetClassObject(oemui::ClsidOemUi, oemui::IidClassFactory, reinterpret_cast<void**>(&factory)) !=
            hr::Ok) {
          ++failures;
          continue;
        }
        factory->LockServer(1);
        void* ui = nullptr;
        void* unknown = nullptr;
        if (factory->CreateInstance(nullptr, oemui::IidPrintOemUi, &ui) != hr::Ok ||
            static_cast<oemui::IPrintOemUI*>(ui)->QueryInterface(oemui::IidUnknown, &unknown) != hr::Ok) {
          ++failures;
        }
        shared->AddRef();
        std::u16string name = names[t % 2];
        oemui::OEMCUIPPARAM param{};
        param.pPrinterName = name.data();
        if (shared->CommonUIProp(oemui::oemcuip::PrnProp, &param) != hr::Ok) ++failures;
        const std::u16string seen = uiplugin::CurrentPrinter().name;
        if (seen != names[0] && seen != names[1]) ++failures;
        if (unknown != nullptr) static_cast<oemui::IUnknown*>(unknown)->Release();
        if (ui != nullptr && static_cast<oemui::IPrintOemUI*>(ui)->Release() != 0) ++failures;
        shared->Release();
        factory->LockServer(0);
        if (factory->Release() != 0) ++failures;
      }
    });
  }
  go = true;
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(uiplugin::CanUnloadNow(), hr::False) << "the shared object still lives";
  EXPECT_EQ(shared->Release(), 0u);
  EXPECT_EQ(uiplugin::CanUnloadNow(), hr::Ok);
  EXPECT_EQ(Live(), 0);
  EXPECT_EQ(uiplugin::TheModule().ServerLockCount.load(), 0);
}

}  // namespace

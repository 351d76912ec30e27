// The module as a COM server: which class and interfaces it answers, aggregation, reference counts
// and when it may be unloaded.
#include <gtest/gtest.h>

#include <vector>

#include "tests/uiplugin/PluginTestSupport.h"

namespace {

using oemui::Guid;
using oemui::HRESULT;
namespace hr = oemui::hresult;
using plugintest::Com;
using plugintest::PluginTest;

Guid WithLastByte(Guid guid, std::uint8_t last) {
  guid.data4[7] = last;
  return guid;
}

TEST_F(PluginTest, ClassObjectIsTheFactoryOfThePluginClassOnly) {
  struct Row {
    const char* what;
    Guid clsid, iid;
    HRESULT result;
  };
  const std::vector<Row> rows = {
      {"factory as IClassFactory", oemui::ClsidOemUi, oemui::IidClassFactory, hr::Ok},
      {"factory as IUnknown", oemui::ClsidOemUi, oemui::IidUnknown, hr::Ok},
      {"the UI interface of a factory", oemui::ClsidOemUi, oemui::IidPrintOemUi, hr::NoInterface},
      {"the interface id as class id", oemui::IidPrintOemUi, oemui::IidClassFactory, hr::ClassNotAvailable},
      {"class id off in its last byte", WithLastByte(oemui::ClsidOemUi, 0xED), oemui::IidClassFactory,
       hr::ClassNotAvailable},
      {"class id off in its first word", Guid{0xABCE80D8, 0x9F46, 0x11D1, {0x88, 0x2A, 0x00, 0xC0, 0x4F, 0xB9, 0x61, 0xEC}},
       oemui::IidClassFactory, hr::ClassNotAvailable},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    void* object = &object;  // anything but null: a failure must clear it
    EXPECT_EQ(uiplugin::GetClassObject(row.clsid, row.iid, &object), row.result);
    if (row.result != hr::Ok) {
      EXPECT_EQ(object, nullptr);
      EXPECT_EQ(Live(), 0) << "no object left behind";
      continue;
    }
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(Live(), 1);
    EXPECT_EQ(static_cast<oemui::IUnknown*>(object)->Release(), 0u) << "the caller held the only reference";
    EXPECT_EQ(Live(), 0);
  }
}

TEST_F(PluginTest, FactoryMakesUiObjectsWithoutAggregation) {
  struct Row {
    const char* what;
    bool outer;
    Guid iid;
    HRESULT result;
  };
  const std::vector<Row> rows = {
      {"IPrintOemUI", false, oemui::IidPrintOemUi, hr::Ok},
      {"IUnknown", false, oemui::IidUnknown, hr::Ok},
      {"IClassFactory of a UI object", false, oemui::IidClassFactory, hr::NoInterface},
      {"the driver's interface", false, oemui::IidPrintOemDriverUi, hr::NoInterface},
      {"aggregated", true, oemui::IidPrintOemUi, hr::NoAggregation},
      {"aggregated as IUnknown", true, oemui::IidUnknown, hr::NoAggregation},
  };
  Com<oemui::IClassFactory> factory;
  ASSERT_NO_FATAL_FAILURE(NewFactory(factory));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    void* object = &object;
    EXPECT_EQ(factory->CreateInstance(row.outer ? factory.get() : nullptr, row.iid, &object), row.result);
    if (row.result != hr::Ok) {
      EXPECT_EQ(object, nullptr);
      EXPECT_EQ(Live(), 1) << "only the factory";
      continue;
    }
    ASSERT_NE(object, nullptr);
    EXPECT_EQ(Live(), 2);
    EXPECT_EQ(static_cast<oemui::IUnknown*>(object)->Release(), 0u);
  }
}

TEST_F(PluginTest, ReferenceCountsGrowWithAddRefAndQueryInterfaceAndEndTheObjectAtZero) {
  Com<oemui::IPrintOemUI> ui;
  ASSERT_NO_FATAL_FAILURE(NewUi(ui));
  Com<oemui::IClassFactory> factory;
  ASSERT_NO_FATAL_FAILURE(NewFactory(factory));
  for (oemui::IUnknown* object : {static_cast<oemui::IUnknown*>(ui.get()), static_cast<oemui::IUnknown*>(factory.get())}) {
    EXPECT_EQ(object->AddRef(), 2u);
    void* again = nullptr;
    ASSERT_EQ(object->QueryInterface(oemui::IidUnknown, &again), hr::Ok);
    EXPECT_EQ(again, object) << "the same object";
    EXPECT_EQ(object->Release(), 2u);
    EXPECT_EQ(object->Release(), 1u);
  }
  EXPECT_EQ(Live(), 2);
  ui.Reset();
  factory.Reset();
  EXPECT_EQ(Live(), 0);
}

TEST_F(PluginTest, ModuleMayUnloadOnlyWithoutLiveObjectsOrLocks) {
  enum Step { GetFactory, CreateUi, Lock, Unlock, DropFactory, DropUi };
  struct Row {
    const char* what;
    std::vector<std::pair<Step, HRESULT>> steps;  // each step and DllCanUnloadNow after it
  };
  const std::vector<Row> rows = {
      {"a factory", {{GetFactory, hr::False}, {DropFactory, hr::Ok}}},
      {"a UI object outliving its factory",
       {{GetFactory, hr::False}, {CreateUi, hr::False}, {DropFactory, hr::False}, {DropUi, hr::Ok}}},
      {"a lock outliving the factory",
       {{GetFactory, hr::False}, {Lock, hr::False}, {DropFactory, hr::False}, {Unlock, hr::Ok}}},
      {"two locks",
       {{GetFactory, hr::False}, {Lock, hr::False}, {Lock, hr::False}, {DropFactory, hr::False},
        {Unlock, hr::False}, {Unlock, hr::Ok}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EQ(uiplugin::CanUnloadNow(), hr::Ok);
    Com<oemui::IClassFactory> factory;
    Com<oemui::IPrintOemUI> ui;
    for (const auto& [step, canUnload] : row.steps) {
      switch (step) {
        case GetFactory: NewFactory(factory); break;
        case CreateUi: ASSERT_EQ(factory->CreateInstance(nullptr, oemui::IidPrintOemUi, ui.out()), hr::Ok); break;
        case Lock: EXPECT_EQ(factory->LockServer(1), hr::Ok); break;
        case Unlock: {  // through a fresh factory: the lock belongs to the module, not to one factory
          Com<oemui::IClassFactory> another;
          NewFactory(another);
          EXPECT_EQ(another->LockServer(0), hr::Ok);
          break;
        }
        case DropFactory: factory.Reset(); break;
        case DropUi: ui.Reset(); break;
      }
      EXPECT_EQ(uiplugin::CanUnloadNow(), canUnload) << "after step " << step;
    }
  }
}

}  // namespace

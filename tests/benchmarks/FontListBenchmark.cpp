// Real time of filling the font list from a substitution table with as many pairs as families: the rows
// alone, and the whole fill on the page's headless list with the simulated machine's fonts and printer
// data. The per-family scan below is the list as first built (each row scans the table from its start);
// ComputeFontRows, and so FillFontList, index the table once per fill.
#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/sim/SimMachine.h"
#include "ui/headless/HeadlessKit.h"
#include "ui/headless/ResourceSet.h"
#include "tests/ui/headless/PluginResources.h"
#include "uiplugin/DeviceFonts.h"
#include "uiplugin/FontFamilies.h"
#include "uiplugin/FontRows.h"
#include "uiplugin/FontSubstitutionPage.h"
#include "uiplugin/SubstitutionTable.h"
#include "uiplugin/res/resource.h"

namespace {

using uiplugin::FontRow;

// Short names, as most machines' families have.
std::u16string FamilyName(char initial, std::size_t i) {
  const std::string name = initial + std::to_string(100000 + i * 7919 % 100000);
  return {name.begin(), name.end()};
}

// `count` sorted families and a table of `count` pairs: half name listed families (in another order),
// half name families this machine lacks, as a table saved on another machine would.
struct FontSet {
  explicit FontSet(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) families.push_back(FamilyName('F', i));
    uiplugin::SortFamilies(families);
    for (std::size_t i = 0; i < count; ++i) {
      if (!table.empty()) table += u'\n';
      table += i % 2 == 0 ? families[count - 1 - i] : FamilyName('G', i);
      table += u'\n';
      table += uiplugin::DeviceFontName(1 + i % (uiplugin::DeviceFontCount - 1));
    }
  }
  std::vector<std::u16string> families;
  std::u16string table;
};

std::vector<FontRow> PerFamilyScan(const std::vector<std::u16string>& families, std::u16string_view table) {
  std::vector<FontRow> rows;
  for (const std::u16string& family : families) {
    rows.push_back({family.substr(0, uiplugin::MaxRowTextUnits),
                    std::u16string(uiplugin::LookupDeviceFont(family, table))});
  }
  return rows;
}

void Report(benchmark::State& state) {
  state.SetComplexityN(state.range(0));
  state.counters["s_per_family"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                       benchmark::Counter::kIsIterationInvariantRate |
                                                           benchmark::Counter::kInvert);
}

void BM_FontRowsPerFamilyScan(benchmark::State& state) {
  const FontSet set(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(PerFamilyScan(set.families, set.table));
  Report(state);
}
BENCHMARK(BM_FontRowsPerFamilyScan)->Arg(100)->Arg(1000)->Arg(2000)->Complexity()->Unit(benchmark::kMicrosecond);

void BM_FontRowsIndexed(benchmark::State& state) {
  const FontSet set(static_cast<std::size_t>(state.range(0)));
  if (uiplugin::ComputeFontRows(set.families, set.table) != PerFamilyScan(set.families, set.table)) {
    state.SkipWithError("the indexed rows differ from the scan's");
  }
  for (auto _ : state) benchmark::DoNotOptimize(uiplugin::ComputeFontRows(set.families, set.table));
  Report(state);
}
BENCHMARK(BM_FontRowsIndexed)->Arg(100)->Arg(1000)->Arg(2000)->Complexity()->Unit(benchmark::kMicrosecond);

// The page open on a machine with the set's families as its fonts and its table stored for the printer.
struct OpenPage {
  explicit OpenPage(const FontSet& set) {
    nlohmann::ordered_json fonts = nlohmann::ordered_json::array();
    for (const std::u16string& family : set.families) {
      fonts.push_back({{"face", std::string(family.begin(), family.end())}, {"type", 4u}});
    }
    machine->document()["fonts"] = fonts;
    platform::sim::SpoolerPrinter printer;
    printer.name = "RQ-7200 TH";
    printer.port = "COM1:";
    printer.driver = "RQ-7200 TH";
    machine->spooler().Edit([&](platform::sim::SpoolerState& s) { s.printers.push_back(printer); });
    (void)p.spooler.OpenPrinterA(printer.name, platform::printeraccess::AllAccess, handle);
    if (uiplugin::SaveSubstitutionTable(p.spooler, handle->Raw(), set.table) != uiplugin::TableSave::Written) {
      throw std::length_error("table");
    }
    page = std::make_unique<uiplugin::FontSubstitutionPage>(kit, p, handle->Raw());
    kit.BindPage(*page, page.get());
    page->DispatchInit();
  }
  ~OpenPage() { kit.UnbindPage(*page); }

  static const ui::headless::ResourceSet& Resources() { return ui::headless::testing::PluginResources(); }

  std::unique_ptr<platform::sim::SimMachine> machine = platform::sim::SimMachine::InMemory();
  platform::Platform p = machine->platform();
  std::unique_ptr<platform::PrinterHandle> handle;
  ui::headless::ScriptedUser user;
  ui::headless::HeadlessKit kit{Resources(), 0x0409, user};
  std::unique_ptr<uiplugin::FontSubstitutionPage> page;
};

// FillFontList as first built: the same steps, one scan of the table per family.
void FillFontListPerFamilyScan(OpenPage& open) {
  ui::ListView list = open.page->GetListView(IDC_FONT_LIST);
  list.DeleteAllItems();
  const std::u16string table = uiplugin::LoadSubstitutionTable(open.p.spooler, open.handle->Raw());
  std::vector<std::u16string> families = uiplugin::CollectTrueTypeFamilies(open.p.fonts);
  uiplugin::SortFamilies(families);
  const std::vector<FontRow> rows = PerFamilyScan(families, table);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    (void)list.InsertItemW(static_cast<int>(i), rows[i].family);
    (void)list.SetItemTextW(static_cast<int>(i), 1, rows[i].deviceFont);
  }
}

void BM_FillFontListPerFamilyScan(benchmark::State& state) {
  OpenPage open(FontSet(static_cast<std::size_t>(state.range(0))));
  for (auto _ : state) FillFontListPerFamilyScan(open);
  Report(state);
}
BENCHMARK(BM_FillFontListPerFamilyScan)->Arg(100)->Arg(1000)->Arg(2000)->Complexity()->Unit(benchmark::kMicrosecond);

void BM_FillFontList(benchmark::State& state) {
  OpenPage open(FontSet(static_cast<std::size_t>(state.range(0))));
  for (auto _ : state) open.page->FillFontList();
  Report(state);
}
BENCHMARK(BM_FillFontList)->Arg(100)->Arg(1000)->Arg(2000)->Complexity()->Unit(benchmark::kMicrosecond);

}  // namespace

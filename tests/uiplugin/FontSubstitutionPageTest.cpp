// The font substitution page on the simulated machine: what its rows show for a stored table and the
// machine's fonts, what the user's choices do, and the exact printer data they leave behind.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/sim/SimMachine.h"
#include "ui/headless/DialogDriver.h"
#include "ui/headless/HeadlessKit.h"
#include "ui/headless/ResourceSet.h"
#include "tests/ui/headless/PluginResources.h"
#include "tests/uiplugin/PluginTestSupport.h"
#include "uiplugin/FontSubstitutionPage.h"
#include "uiplugin/res/resource.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using platform::DWORD;
using ui::headless::DialogDriver;

using ui::headless::testing::PluginResources;

using plugintest::Utf16;

// A table as GetPrinterDataW returns it: '|' stands for NUL, and the closing pair of NULs is added.
Bytes Stored(std::u16string text) {
  for (char16_t& unit : text) unit = unit == u'|' ? u'\0' : unit;
  return Utf16(text + std::u16string(2, u'\0'));
}

Bytes Dword(DWORD value) { return Bytes{static_cast<std::uint8_t>(value), 0, 0, 0}; }

constexpr unsigned TT = 4;  // fonttype::TrueType
const std::u16string None = u"Do not substitute";
enum Device { DoNotSubstitute = 0, FontA11 = 1, FontB11 = 3, ControlA = 6, Barcode3 = 9, Barcode5 = 11 };

struct Case {
  const char* what;
  std::vector<std::pair<std::string, unsigned>> fonts;  // face (UTF-8), font type, in enumeration order
  std::optional<std::u16string> table;             // stored, in Stored()'s notation
  std::function<void(DialogDriver&)> user;         // after the page was opened and shown
  std::vector<std::u16string> rows;                // "family=device font", top to bottom
  std::u16string shownFamily;                      // control 1011 at the end
  int chosenDevice;                                // the combo box's selection at the end
  bool listEnabled = true;
  std::optional<std::pair<Bytes, DWORD>> saved = std::nullopt;  // the table's bytes and size value
  DWORD switchBefore = 0;
  DWORD access = platform::printeraccess::AllAccess;
  std::vector<std::string> messages = {};  // "caption: text" of each message box
};

constexpr const char* kPrinter = "RQ-7200 TH";

// A printer's value as the "W" functions see it; nullopt when missing.
std::optional<platform::sim::PrinterDataValue> Value(platform::sim::SimMachine& machine, const std::string& name) {
  std::optional<platform::sim::PrinterDataValue> found;
  machine.spooler().Edit([&](platform::sim::SpoolerState& state) {
    if (const auto* value = state.FindPrinter(kPrinter)->FindData(name)) found = *value;
  });
  if (found && platform::sim::IsTextType(found->type)) found->data = platform::sim::TextBytesToUtf16(found->data);
  return found;
}

// Opens the page on a fresh machine, lets the user act, and checks what the page and the printer show.
void OpenAndCheck(const Case& c) {
  const auto machine = platform::sim::SimMachine::InMemory();
  platform::Platform p = machine->platform();
  nlohmann::ordered_json fonts = nlohmann::ordered_json::array();
  for (const auto& [face, type] : c.fonts) fonts.push_back({{"face", face}, {"type", type}});
  machine->document()["fonts"] = fonts;
  platform::sim::SpoolerPrinter printer;
  printer.name = kPrinter;
  printer.port = "COM1:";
  printer.driver = "RQ-7200 TH";
  printer.printerData = {{"TTFontSubTableEnable", platform::regtype::Dword, Dword(c.switchBefore)}};
  if (c.table) {
    printer.printerData.push_back(
        {"TTFontSubTable", platform::regtype::MultiSz, *platform::sim::TextBytesFromUtf16(Stored(*c.table))});
  }
  machine->spooler().Edit([&](platform::sim::SpoolerState& s) { s.printers.push_back(printer); });
  std::unique_ptr<platform::PrinterHandle> handle;
  ASSERT_EQ(p.spooler.OpenPrinterA(kPrinter, c.access, handle), 0u);

  ui::headless::ScriptedUser user;
  ui::headless::HeadlessKit kit{PluginResources(), 0x0409, user};
  uiplugin::FontSubstitutionPage page(kit, p, handle->Raw());
  kit.BindPage(page, &page);
  struct Unbind {
    ui::Kit& kit;
    ui::Dialog& page;
    ~Unbind() { kit.UnbindPage(page); }
  } unbind{kit, page};
  ASSERT_TRUE(page.DispatchInit());
  page.OnShowPage();
  DialogDriver driver(kit, *kit.FindBoundPage(page));
  if (c.user) c.user(driver);

  std::vector<std::u16string> rows;
  for (const auto& row : driver.ListRowsW(IDC_FONT_LIST)) rows.push_back(row.at(0) + u"=" + row.at(1));
  EXPECT_EQ(rows, c.rows);
  EXPECT_EQ(driver.TextW(IDC_TRUETYPE_NAME), c.shownFamily);
  EXPECT_EQ(driver.ComboSelection(IDC_DEVICE_FONT), c.chosenDevice);
  EXPECT_EQ(driver.IsEnabled(IDC_FONT_LIST), c.listEnabled);
  const bool on = c.access == platform::printeraccess::AllAccess || c.switchBefore != 0;
  EXPECT_EQ(driver.IsEnabled(IDC_REPLACE_ALL), on);
  EXPECT_EQ(driver.IsChecked(IDC_ENABLE_SUBSTITUTION), on);
  const auto switchValue = Value(*machine, "TTFontSubTableEnable");
  ASSERT_TRUE(switchValue);
  EXPECT_EQ(switchValue->data, c.access == platform::printeraccess::AllAccess ? Dword(1) : Dword(c.switchBefore));
  std::vector<std::string> messages;
  for (const auto& box : kit.MessageBoxes()) messages.push_back(box.caption + ": " + box.text);
  EXPECT_EQ(messages, c.messages);
  if (c.saved) {
    const auto table = Value(*machine, "TTFontSubTable");
    ASSERT_TRUE(table);
    EXPECT_EQ(table->type, platform::regtype::MultiSz);
    EXPECT_EQ(table->data, c.saved->first);
    const auto size = Value(*machine, "TTFontSubTableSize");
    ASSERT_TRUE(size);
    EXPECT_EQ(size->type, platform::regtype::Dword);
    EXPECT_EQ(size->data, Dword(c.saved->second));
  }
}

auto Choose(int row, int device) {
  return [row, device](DialogDriver& d) {
    d.ClickListRow(IDC_FONT_LIST, row);
    d.SelectCombo(IDC_DEVICE_FONT, device);
  };
}
void Save(DialogDriver& d) { d.Click(IDC_SAVE_FONTS); }

// Families "F0000", "F0001", ... and their rows, all at one device font.
std::vector<std::pair<std::string, unsigned>> ManyFamilies(int count) {
  std::vector<std::pair<std::string, unsigned>> fonts;
  for (int i = 0; i < count; ++i) fonts.emplace_back("F" + std::to_string(10000 + i).substr(1), TT);
  return fonts;
}
std::vector<std::u16string> RowsAt(int count, const std::u16string& deviceFont) {
  std::vector<std::u16string> rows;
  for (const auto& font : ManyFamilies(count)) {
    rows.push_back(std::u16string(font.first.begin(), font.first.end()) + u"=" + deviceFont);
  }
  return rows;
}

TEST(FontSubstitutionPageTest, RowsChoicesAndStoredBytes) {
  const std::vector<std::pair<std::string, unsigned>> three = {{"Times", TT}, {"Arial", TT}, {"Verdana", TT}};
  const std::vector<std::pair<std::string, unsigned>> two = {{"Times", TT}, {"Arial", TT}};
  const Case cases[] = {
      {"a five-letter family at FontA11",
       three, std::nullopt,
       [](DialogDriver& d) { Choose(0, FontA11)(d); Save(d); },
       {u"Arial=FontA11", u"Times=" + None, u"Verdana=" + None}, u"Arial", FontA11, true,
       std::pair{Stored(u"Arial|FontA11"), 13}},
      {"every row at Do not substitute",
       three, u"Arial|FontA11|Verdana|Barcode3",
       [](DialogDriver& d) {
         Choose(0, DoNotSubstitute)(d);
         Choose(2, DoNotSubstitute)(d);
         Save(d);
       },
       {u"Arial=" + None, u"Times=" + None, u"Verdana=" + None}, u"Verdana", DoNotSubstitute, true,
       std::pair{Bytes{0x20, 0, 0, 0, 0, 0}, 1}},
      {"controlA is not control, and the first row shows",
       two, u"Arial|controlA|Times|control",
       nullptr,
       {u"Arial=controlA", u"Times=control"}, u"Arial", ControlA},
      {"a family extending another, and the first of two pairs",
       {{"Arial Black", TT}, {"Arial", TT}}, u"Arial Black|Barcode3|Arial|FontB11|Arial|FontA11",
       nullptr,
       {u"Arial=FontB11", u"Arial Black=Barcode3"}, u"Arial", FontB11},
      {"an unknown device font and a family without one",
       two, u"Arial|FontZ99|Times",
       Save,
       {u"Arial=" + None, u"Times=" + None}, u"Arial", DoNotSubstitute, true,
       std::pair{Bytes{0x20, 0, 0, 0, 0, 0}, 1}},
      {"Replace all with Barcode3",
       two, u"Arial|FontA11",
       [](DialogDriver& d) {
         d.SelectCombo(IDC_DEVICE_FONT, Barcode3);
         d.Click(IDC_REPLACE_ALL);
       },
       {u"Arial=Barcode3", u"Times=Barcode3"}, u"Arial", Barcode3, false},
      {"a choice under Replace all, saved",
       two, u"Arial|FontA11",
       [](DialogDriver& d) {
         d.Click(IDC_REPLACE_ALL);
         d.SelectCombo(IDC_DEVICE_FONT, Barcode5);
         Save(d);
       },
       {u"Arial=Barcode5", u"Times=Barcode5"}, u"Arial", Barcode5, false,
       std::pair{Stored(u"Arial|Barcode5|Times|Barcode5"), 29}},
      {"Replace all and back",
       two, u"Arial|FontA11",
       [](DialogDriver& d) {
         d.SelectCombo(IDC_DEVICE_FONT, Barcode3);
         d.Click(IDC_REPLACE_ALL);
         d.Click(IDC_REPLACE_ALL);
       },
       {u"Arial=FontA11", u"Times=" + None}, u"Arial", Barcode3},
      {"the families shown: TrueType only, no '@', once each, 30 units, by code units",
       {{"arial", TT},
        {"Zeta", TT},
        {"@Ming Text", TT},
        {"Fixedsys", 1},
        {"Printer Sans", 2},
        {"Zeta", TT},
        {"\xC3\x84rial", TT},                       // U+00C4
        {"\xEF\xBC\xA1\xEF\xBC\xA2", TT},           // U+FF21 U+FF22
        {"\xF0\x9F\x98\x80 Smile", TT | 2},         // U+1F600: surrogates D83D DE00
        {"A23456789B123456789C123456789D1", TT}},
       u"Zeta|FontB11",
       nullptr,
       {u"A23456789B123456789C123456789D=" + None, u"Zeta=FontB11", u"arial=" + None, u"\u00C4rial=" + None,
        u"\U0001F600 Smile=" + None, u"\uFF21\uFF22=" + None},
       u"A23456789B123456789C123456789D", DoNotSubstitute},
      {"no TrueType family",
       {{"Fixedsys", 1}}, u"Arial|FontA11",
       Save,
       {}, u"", DoNotSubstitute, true,
       std::pair{Bytes{0x20, 0, 0, 0, 0, 0}, 1}},
      {"a table too large to store: refused, with a message",
       ManyFamilies(3000), std::nullopt,
       [](DialogDriver& d) {
         d.TypeW(IDC_DEVICE_FONT, std::u16string(255, u'D'));
         d.Click(IDC_REPLACE_ALL);
         Save(d);
       },
       RowsAt(3000, std::u16string(255, u'D')), u"F0000", -1, false,
       std::nullopt, 0, platform::printeraccess::AllAccess,
       {"Font substitution: The font substitution table is too large to be saved. The table saved before is kept: "
        "substitute fewer fonts and save again."}},
      {"a handle that may not write: the switch stays off",
       two, u"Arial|FontA11",
       nullptr,
       {u"Arial=FontA11", u"Times=" + None}, u"Arial", FontA11, false,
       std::nullopt, 0, platform::printeraccess::Use},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OpenAndCheck(c);
  }
}

}  // namespace

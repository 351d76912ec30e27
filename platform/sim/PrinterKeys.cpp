#include "platform/sim/PrinterKeys.h"

namespace platform::sim {
namespace {

std::shared_ptr<RegNode> PrintersNode(const RegistryTree& tree, bool create) {
  return tree.Key(RootKey::LocalMachine, kPrintersKeyPath, create);
}

std::shared_ptr<RegNode> PrinterNode(const RegistryTree& tree, std::string_view printerName) {
  const auto printers = PrintersNode(tree, false);
  return printers ? printers->FindSubkey(printerName) : nullptr;
}

// What the spooler writes of a printer: its level-2 record under Windows' value names.
struct TextField {
  const char* value;
  std::string SpoolerPrinter::*field;
};
constexpr TextField kTextFields[] = {
    {"Port", &SpoolerPrinter::port},
    {"Printer Driver", &SpoolerPrinter::driver},
    {"Description", &SpoolerPrinter::comment},
    {"Location", &SpoolerPrinter::location},
    {"Print Processor", &SpoolerPrinter::printProcessor},
    {"Datatype", &SpoolerPrinter::datatype},
};
constexpr const char* kDevModeValue = "Default DevMode";
constexpr const char* kAttributesValue = "Attributes";

std::string TextValue(RegNode& node, const char* name) {
  const RegValue* value = node.FindValue(name);
  return value && (value->type == regtype::Sz || value->type == regtype::ExpandSz) ? RegSzText(value->data) : "";
}

// Open handles to a removed key see it gone, as after RegDeleteTree.
void MarkDeleted(RegNode& node) {
  node.deleted = true;
  for (const auto& child : node.subkeys) MarkDeleted(*child);
}

// The spooler's keys go with the last thing they hold, up to the first level below the root, which
// Windows always has: a machine file then shows only what something keeps.
void PruneEmptyParents(RegistryTree& tree, std::string_view path) {
  auto names = SplitKeyPath(path);
  if (!names) return;
  while (names->size() > 1) {
    const std::string child = names->back();
    names->pop_back();
    std::string parentPath;
    for (const std::string& name : *names) parentPath += (parentPath.empty() ? "" : "\\") + name;
    const auto parent = tree.Key(RootKey::LocalMachine, parentPath, false);
    const auto node = parent ? parent->FindSubkey(child) : nullptr;
    if (!node || !node->subkeys.empty() || !node->values.empty() || node->openHandles > 0) return;
    MarkDeleted(*node);
    parent->RemoveSubkey(*node);
  }
}

}  // namespace

void WritePrinterKey(RegistryTree& tree, const SpoolerPrinter& printer) {
  const auto key = PrintersNode(tree, true)->AddSubkey(printer.name);
  key->SetValue("Name", regtype::Sz, RegSzBytes(printer.name));
  for (const TextField& text : kTextFields) key->SetValue(text.value, regtype::Sz, RegSzBytes(printer.*text.field));
  key->SetValue(kAttributesValue, regtype::Dword, RegDwordBytes(printer.attributes));
  if (printer.devMode.empty()) {
    key->DeleteValue(kDevModeValue);
  } else {
    key->SetValue(kDevModeValue, regtype::Binary, printer.devMode);
  }
  const auto data = key->AddSubkey(kPrinterDataSubkey);
  data->values.clear();
  for (const PrinterDataValue& value : printer.printerData) data->values.push_back({value.name, value.type, value.data});
}

namespace {

// Removes the key `name` below the spooler's key at `parentPath`, and that one too once it is empty.
void RemoveSpoolerKey(RegistryTree& tree, const char* parentPath, std::string_view name) {
  const auto parent = tree.Key(RootKey::LocalMachine, parentPath, false);
  const auto key = parent ? parent->FindSubkey(name) : nullptr;
  if (!key) return;
  MarkDeleted(*key);
  parent->RemoveSubkey(*key);
  PruneEmptyParents(tree, parentPath);
}

}  // namespace

void RemovePrinterKey(RegistryTree& tree, std::string_view printerName) {
  RemoveSpoolerKey(tree, kPrintersKeyPath, printerName);
}

void RemoveMonitorKey(RegistryTree& tree, std::string_view monitorName) {
  RemoveSpoolerKey(tree, kMonitorsKeyPath, monitorName);
}

std::vector<std::string> PrinterKeyNames(const RegistryTree& tree) {
  std::vector<std::string> names;
  if (const auto printers = PrintersNode(tree, false)) {
    for (const auto& key : printers->subkeys) names.push_back(key->name);
  }
  return names;
}

bool ReadPrinterKey(const RegistryTree& tree, SpoolerPrinter& printer) {
  const auto key = PrinterNode(tree, printer.name);
  if (!key) return false;
  for (const TextField& text : kTextFields) printer.*text.field = TextValue(*key, text.value);
  const RegValue* attributes = key->FindValue(kAttributesValue);
  printer.attributes = 0;
  if (attributes && attributes->type == regtype::Dword && attributes->data.size() == 4) {
    for (int i = 3; i >= 0; --i) printer.attributes = printer.attributes << 8 | attributes->data[static_cast<std::size_t>(i)];
  }
  const RegValue* devMode = key->FindValue(kDevModeValue);
  printer.devMode = devMode && devMode->type == regtype::Binary ? devMode->data : std::vector<std::uint8_t>{};
  printer.printerData.clear();
  if (const auto data = key->FindSubkey(kPrinterDataSubkey)) {
    for (const RegValue& value : data->values) printer.printerData.push_back({value.name, value.type, value.data});
  }
  return true;
}

bool PrinterKeyComplete(const RegistryTree& tree, std::string_view printerName) {
  const auto key = PrinterNode(tree, printerName);
  return key && !TextValue(*key, "Port").empty() && !TextValue(*key, "Printer Driver").empty();
}

}  // namespace platform::sim

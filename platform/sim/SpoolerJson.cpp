#include "platform/sim/SpoolerJson.h"

#include <cstdint>
#include <set>
#include <string_view>

#include "platform/sim/DevMode.h"
#include "platform/sim/RegistryJson.h"
#include "platform/sim/Text.h"

namespace platform::sim {
namespace {

using Json = nlohmann::ordered_json;

std::string Item(const std::string& list, std::size_t index) { return list + "[" + std::to_string(index) + "]"; }

void OptionalText(const JsonReader& reader, const Json& j, const std::string& where, const char* field,
                  std::string& out) {
  if (j.contains(field)) out = reader.Text(j[field], where + "." + field);
}

std::string RequiredText(const JsonReader& reader, const Json& j, const std::string& where, const char* field) {
  if (!j.contains(field)) reader.Fail("\"" + where + "\" has no \"" + field + "\"");
  std::string text = reader.Text(j[field], where + "." + field);
  if (text.empty()) reader.Fail("\"" + where + "." + field + "\" is empty");
  return text;
}

SpoolerMonitor ReadMonitor(const JsonReader& reader, const Json& j, const std::string& where) {
  SpoolerMonitor monitor;
  if (j.is_string()) {
    monitor.name = reader.Text(j, where);
    if (monitor.name.empty()) reader.Fail("\"" + where + "\" is empty");
    return monitor;
  }
  reader.Object(j, where, {"name", "environment", "dll", "ports"});
  monitor.name = RequiredText(reader, j, where, "name");
  OptionalText(reader, j, where, "environment", monitor.environment);
  OptionalText(reader, j, where, "dll", monitor.dll);
  if (j.contains("ports")) monitor.ports = reader.TextList(j["ports"], where + ".ports");
  return monitor;
}

SpoolerForm ReadForm(const JsonReader& reader, const Json& j, const std::string& where) {
  reader.Object(j, where, {"name", "width", "height"});
  SpoolerForm form;
  form.name = RequiredText(reader, j, where, "name");
  for (const auto& [field, size] : {std::pair{"width", &form.width}, {"height", &form.height}}) {
    if (!j.contains(field)) reader.Fail("\"" + where + "\" has no \"" + field + "\"");
    *size = static_cast<std::int32_t>(reader.Dword(j[field], where + "." + field, INT32_MAX));
  }
  return form;
}

SpoolerDriver ReadDriver(const JsonReader& reader, const Json& j, const std::string& where) {
  reader.Object(j, where,
                {"name", "environment", "version", "driverPath", "dataFile", "configFile", "helpFile", "dependentFiles",
                 "monitorName", "defaultDataType"});
  SpoolerDriver driver;
  driver.name = RequiredText(reader, j, where, "name");
  OptionalText(reader, j, where, "environment", driver.environment);
  if (j.contains("version")) driver.version = reader.Dword(j["version"], where + ".version");
  OptionalText(reader, j, where, "driverPath", driver.driverPath);
  OptionalText(reader, j, where, "dataFile", driver.dataFile);
  OptionalText(reader, j, where, "configFile", driver.configFile);
  OptionalText(reader, j, where, "helpFile", driver.helpFile);
  if (j.contains("dependentFiles")) driver.dependentFiles = reader.TextList(j["dependentFiles"], where + ".dependentFiles");
  OptionalText(reader, j, where, "monitorName", driver.monitorName);
  OptionalText(reader, j, where, "defaultDataType", driver.defaultDataType);
  return driver;
}

PrintedItem ReadPrintedItem(const JsonReader& reader, const Json& j, const std::string& where) {
  reader.Object(j, where, {"text", "font", "picture", "rect"});
  PrintedItem item;
  item.picture = j.contains("picture");
  if (item.picture == j.contains("text")) reader.Fail("\"" + where + "\" must have either \"text\" or \"picture\"");
  if (item.picture && j.contains("font")) reader.Fail("\"" + where + "\": a picture has no \"font\"");
  if (item.picture) item.bitmap = static_cast<int>(reader.Dword(j["picture"], where + ".picture", INT32_MAX));
  OptionalText(reader, j, where, "text", item.text);
  OptionalText(reader, j, where, "font", item.font);
  const std::string field = where + ".rect";
  if (!j.contains("rect") || !j["rect"].is_array() || j["rect"].size() != 4) {
    reader.Fail("\"" + field + "\" must be a list of four whole numbers");
  }
  std::int32_t* edges[] = {&item.left, &item.top, &item.right, &item.bottom};
  for (std::size_t i = 0; i < 4; ++i) {
    const Json& edge = j["rect"][i];
    const bool fits = edge.is_number_unsigned() ? edge.get<std::uint64_t>() <= INT32_MAX
                                                : edge.is_number_integer() && edge.get<std::int64_t>() >= INT32_MIN &&
                                                      edge.get<std::int64_t>() <= INT32_MAX;
    if (!fits) reader.Fail("\"" + field + "\" must be a list of four whole numbers from -2147483648 to 2147483647");
    *edges[i] = edge.get<std::int32_t>();
  }
  return item;
}

PrintedDocument ReadPrintedDocument(const JsonReader& reader, const Json& j, const std::string& where) {
  reader.Object(j, where, {"document", "pages", "raw"});
  if (j.contains("raw") && j.contains("pages")) reader.Fail("\"" + where + "\" has both \"raw\" and \"pages\"");
  PrintedDocument document;
  OptionalText(reader, j, where, "document", document.name);
  if (j.contains("raw")) {
    const std::string field = where + ".raw";
    auto bytes = j["raw"].is_string() ? FromHex(j["raw"].get<std::string>()) : std::nullopt;
    if (!bytes) reader.Fail("\"" + field + "\" must be a text of hex digit pairs");
    document.raw = std::move(*bytes);
  }
  if (j.contains("pages")) {
    const std::string pages = where + ".pages";
    if (!j["pages"].is_array()) reader.Fail("\"" + pages + "\" must be a list");
    for (const Json& page : j["pages"]) {
      const std::string items = Item(pages, document.pages.size());
      if (!page.is_array()) reader.Fail("\"" + items + "\" must be a list");
      std::vector<PrintedItem>& out = document.pages.emplace_back();
      for (const Json& item : page) out.push_back(ReadPrintedItem(reader, item, Item(items, out.size())));
    }
  }
  return document;
}

Json PrintedDocumentJson(const PrintedDocument& document) {
  Json j = {{"document", AnsiToUtf8(document.name)}};
  if (document.raw) {
    j["raw"] = ToHex(*document.raw);
    return j;
  }
  Json pages = Json::array();
  for (const auto& page : document.pages) {
    Json items = Json::array();
    for (const PrintedItem& item : page) {
      Json out;
      if (item.picture) {
        out["picture"] = item.bitmap;
      } else {
        out["text"] = AnsiToUtf8(item.text);
        if (!item.font.empty()) out["font"] = AnsiToUtf8(item.font);
      }
      out["rect"] = {item.left, item.top, item.right, item.bottom};
      items.push_back(std::move(out));
    }
    pages.push_back(std::move(items));
  }
  j["pages"] = std::move(pages);
  return j;
}

SpoolerPrinter ReadPrinter(const JsonReader& reader, const Json& j, const std::string& where) {
  reader.Object(j, where,
                {"name", "port", "driver", "comment", "location", "printProcessor", "datatype", "attributes", "devMode",
                 "printerData", "printed"});
  SpoolerPrinter printer;
  printer.name = RequiredText(reader, j, where, "name");
  printer.port = RequiredText(reader, j, where, "port");
  printer.driver = RequiredText(reader, j, where, "driver");
  OptionalText(reader, j, where, "comment", printer.comment);
  OptionalText(reader, j, where, "location", printer.location);
  OptionalText(reader, j, where, "printProcessor", printer.printProcessor);
  OptionalText(reader, j, where, "datatype", printer.datatype);
  if (j.contains("attributes")) printer.attributes = reader.Dword(j["attributes"], where + ".attributes");
  if (j.contains("devMode")) {
    const std::string field = where + ".devMode";
    if (!j["devMode"].is_string()) reader.Fail("\"" + field + "\" must be a text of hex digits");
    auto bytes = FromHex(j["devMode"].get<std::string>());
    if (!bytes) reader.Fail("\"" + field + "\" has hex text that is not pairs of hex digits");
    if (!DevModeSize(*bytes)) reader.Fail("\"" + field + "\" is not a device mode (dmSize, dmDriverExtra)");
    printer.devMode = std::move(*bytes);
  } else {
    printer.devMode = DefaultDevMode(printer.name);
  }
  if (j.contains("printerData")) {
    const std::string field = where + ".printerData";
    if (!j["printerData"].is_object()) reader.Fail("\"" + field + "\" must be an object");
    for (const auto& [name, value] : j["printerData"].items()) {
      PrinterDataValue data;
      data.name = reader.Text(Json(name), field);
      ReadRegistryValueJson(value, reader.label(), "printer data \"" + name + "\" of \"" + where + "\"", data.type,
                            data.data);
      if (PrinterDataValue* same = printer.FindData(data.name)) {
        *same = std::move(data);
      } else {
        printer.printerData.push_back(std::move(data));
      }
    }
  }
  if (j.contains("printed")) {
    const std::string field = where + ".printed";
    if (!j["printed"].is_array()) reader.Fail("\"" + field + "\" must be a list");
    for (const Json& document : j["printed"]) {
      printer.printed.push_back(ReadPrintedDocument(reader, document, Item(field, printer.printed.size())));
    }
  }
  return printer;
}

template <typename T, typename ReadOne>
std::vector<T> ReadList(const JsonReader& reader, const Json& spooler, const char* member, ReadOne readOne) {
  std::vector<T> items;
  if (!spooler.contains(member)) return items;
  const std::string list = std::string("spooler.") + member;
  if (!spooler[member].is_array()) reader.Fail("\"" + list + "\" must be a list");
  for (const Json& j : spooler[member]) items.push_back(readOne(reader, j, Item(list, items.size())));
  return items;
}

}  // namespace

namespace {

// In one pass over the list: a spooler of many printers is read in time linear in its size.
template <typename Named>
void RejectRepeatedNames(const JsonReader& reader, const std::vector<Named>& list, const char* field, const char* what) {
  std::set<std::string_view, LessNoCase> names;
  for (std::size_t i = 0; i < list.size(); ++i) {
    if (!names.insert(list[i].name).second) {
      reader.Fail("\"" + Item(field, i) + "\" repeats the " + what + " name \"" + list[i].name + "\"");
    }
  }
}

}  // namespace

void ReadSpoolerJson(const Json& spooler, const JsonReader& reader, SpoolerState& state, std::optional<bool>& running) {
  reader.Object(spooler, "spooler", {"running", "driverDirectory", "monitors", "drivers", "printers", "forms"});
  if (spooler.contains("running")) running = reader.Bool(spooler["running"], "spooler.running");
  if (spooler.contains("driverDirectory")) {
    state.driverDirectory = reader.Text(spooler["driverDirectory"], "spooler.driverDirectory");
  }
  state.monitors = ReadList<SpoolerMonitor>(reader, spooler, "monitors", ReadMonitor);
  state.drivers = ReadList<SpoolerDriver>(reader, spooler, "drivers", ReadDriver);
  state.printers = ReadList<SpoolerPrinter>(reader, spooler, "printers", ReadPrinter);
  state.forms = ReadList<SpoolerForm>(reader, spooler, "forms", ReadForm);
  RejectRepeatedNames(reader, state.drivers, "spooler.drivers", "driver");
  RejectRepeatedNames(reader, state.printers, "spooler.printers", "printer");
  RejectRepeatedNames(reader, state.forms, "spooler.forms", "form");
}

Json WriteSpoolerJson(const SpoolerState& state, bool running) {
  Json monitors = Json::array();
  for (const SpoolerMonitor& m : state.monitors) {
    Json ports = Json::array();
    for (const std::string& port : m.ports) ports.push_back(AnsiToUtf8(port));
    monitors.push_back({{"name", AnsiToUtf8(m.name)},
                        {"environment", AnsiToUtf8(m.environment)},
                        {"dll", AnsiToUtf8(m.dll)},
                        {"ports", std::move(ports)}});
  }
  Json drivers = Json::array();
  for (const SpoolerDriver& d : state.drivers) {
    Json dependent = Json::array();
    for (const std::string& file : d.dependentFiles) dependent.push_back(AnsiToUtf8(file));
    Json driver = {{"name", AnsiToUtf8(d.name)},           {"environment", AnsiToUtf8(d.environment)},
                   {"version", d.version},                 {"driverPath", AnsiToUtf8(d.driverPath)},
                   {"dataFile", AnsiToUtf8(d.dataFile)},   {"configFile", AnsiToUtf8(d.configFile)},
                   {"helpFile", AnsiToUtf8(d.helpFile)},   {"dependentFiles", std::move(dependent)}};
    if (!d.monitorName.empty()) driver["monitorName"] = AnsiToUtf8(d.monitorName);
    if (!d.defaultDataType.empty()) driver["defaultDataType"] = AnsiToUtf8(d.defaultDataType);
    drivers.push_back(std::move(driver));
  }
  Json printers = Json::array();
  for (const SpoolerPrinter& p : state.printers) {
    Json data = Json::object();
    for (const PrinterDataValue& value : p.printerData) data[AnsiToUtf8(value.name)] = RegistryValueJson(value.type, value.data);
    Json printer = {{"name", AnsiToUtf8(p.name)}, {"port", AnsiToUtf8(p.port)}, {"driver", AnsiToUtf8(p.driver)},
                    {"comment", AnsiToUtf8(p.comment)}};
    if (!p.location.empty()) printer["location"] = AnsiToUtf8(p.location);
    printer["printProcessor"] = AnsiToUtf8(p.printProcessor);
    printer["datatype"] = AnsiToUtf8(p.datatype);
    printer["attributes"] = p.attributes;
    printer["devMode"] = ToHex(p.devMode);
    printer["printerData"] = std::move(data);
    if (!p.printed.empty()) {
      Json printed = Json::array();
      for (const PrintedDocument& document : p.printed) printed.push_back(PrintedDocumentJson(document));
      printer["printed"] = std::move(printed);
    }
    printers.push_back(std::move(printer));
  }
  Json spooler = {{"running", running},
                  {"driverDirectory", AnsiToUtf8(state.driverDirectory)},
                  {"monitors", std::move(monitors)},
                  {"drivers", std::move(drivers)},
                  {"printers", std::move(printers)}};
  // Only a machine that has forms of its own lists them.
  if (!state.forms.empty()) {
    Json forms = Json::array();
    for (const SpoolerForm& f : state.forms)
      forms.push_back({{"name", AnsiToUtf8(f.name)}, {"width", f.width}, {"height", f.height}});
    spooler["forms"] = std::move(forms);
  }
  return spooler;
}

}  // namespace platform::sim

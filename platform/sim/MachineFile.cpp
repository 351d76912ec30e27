#include "platform/sim/MachineFile.h"

#include <algorithm>
#include <array>
#include <functional>
#include <limits>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>

#include "platform/sim/JsonDocument.h"
#include "platform/sim/JsonReader.h"
#include "platform/sim/RegistryJson.h"
#include "platform/sim/NetworkJson.h"
#include "platform/sim/SimSerial.h"
#include "platform/sim/SpoolerJson.h"
#include "platform/sim/Text.h"

namespace platform::sim {

extern const char kDefaultMachineJson[];

namespace {

using Json = nlohmann::ordered_json;

constexpr std::array<std::pair<const char*, LANGID>, 9> kLanguageTags = {{
    {"en-US", 0x0409}, {"pt-BR", 0x0416}, {"pt-PT", 0x0816}, {"es-ES", 0x0C0A}, {"de-DE", 0x0407},
    {"fr-FR", 0x040C}, {"it-IT", 0x0410}, {"ja-JP", 0x0411}, {"zh-CN", 0x0804},
}};

constexpr std::array<std::pair<const char*, LocalPortKind>, 2> kPortKinds = {{
    {"serial", LocalPortKind::Serial},
    {"parallel", LocalPortKind::Parallel},
}};

// "ports": the local ports by kind, then the members kept as written.
Json PortsJson(const std::vector<LocalPort>& localPorts, const Json& kept) {
  Json ports = Json::object();
  for (const auto& [member, kind] : kPortKinds) {
    ports[member] = Json::array();
    for (const LocalPort& port : localPorts) {
      if (port.kind == kind) ports[member].push_back(AnsiToUtf8(port.name));
    }
  }
  if (kept.is_object()) {
    for (const auto& [name, value] : kept.items()) ports[name] = value;
  }
  return ports;
}

constexpr std::array<std::pair<const char*, DWORD>, 4> kServiceStates = {{
    {"stopped", svcstate::Stopped},
    {"startPending", svcstate::StartPending},
    {"stopPending", svcstate::StopPending},
    {"running", svcstate::Running},
}};

const char* ServiceStateName(DWORD state) {
  for (const auto& [name, value] : kServiceStates) {
    if (value == state) return name;
  }
  return "stopped";
}

bool IsOwned(std::string_view member) {
  for (const char* owned :
       {"format", "version", "os", "uiLanguage", "programFile", "clock", "user", "services", "spooler", "registry",
        "serial", "monitorModules"}) {
    if (member == owned) return true;
  }
  return false;
}

// The fields of a member, by their machine.json names, for reading and writing alike.
constexpr auto kOsFields = [](auto&& visit, auto& os) {
  visit("platformId", os.platformId); visit("major", os.major); visit("minor", os.minor);
  visit("build", os.build); visit("csd", os.csd); visit("queryError", os.queryError);
};
constexpr auto kUserFields = [](auto&& visit, auto& user) {
  visit("administrator", user.administrator); visit("canControlServices", user.canControlServices);
  visit("name", user.name); visit("accountQueryError", user.accountQueryError);
};
constexpr auto kServiceFields = [](auto&& visit, auto& service) {  // and its "state", by name
  visit("stopMs", service.stopMs); visit("stopWaitHint", service.stopWaitHint); visit("startMs", service.startMs);
  visit("startWaitHint", service.startWaitHint); visit("checkPointEveryMs", service.checkPointEveryMs);
  visit("startStalls", service.startStalls); visit("startNeverCompletes", service.startNeverCompletes);
};
constexpr auto kCommStateFields = [](auto&& visit, auto& state) {  // a port's default configuration
  visit("baud", state.baudRate); visit("byteSize", state.byteSize); visit("parity", state.parity);
  visit("stopBits", state.stopBits); visit("binary", state.binary); visit("parityCheck", state.parityCheck);
  visit("outxCtsFlow", state.outxCtsFlow); visit("outxDsrFlow", state.outxDsrFlow);
  visit("dtrControl", state.dtrControl); visit("rtsControl", state.rtsControl);
  visit("dsrSensitivity", state.dsrSensitivity); visit("txContinueOnXoff", state.txContinueOnXoff);
  visit("outX", state.outX); visit("inX", state.inX); visit("xonLim", state.xonLim); visit("xoffLim", state.xoffLim);
};
constexpr auto kClockFields = [](auto&& visit, auto& config) { visit("startTick", config.startTick); };

// Reads `j`, an object of these fields and those `known` already names, into `object`.
template <typename Fields, typename Object>
void ReadFields(const JsonReader& reader, const Json& j, const std::string& field, Fields fields, Object& object,
                std::vector<const char*> known = {}) {
  fields([&](const char* name, auto&) { known.push_back(name); }, object);
  reader.Object(j, field, known);
  fields(
      [&](const char* name, auto& value) {
        if (!j.contains(name)) return;
        using T = std::remove_reference_t<decltype(value)>;
        const std::string member = field + "." + name;
        if constexpr (std::is_same_v<T, bool>) {
          value = reader.Bool(j[name], member);
        } else if constexpr (std::is_same_v<T, std::string>) {
          value = reader.Text(j[name], member);
        } else {
          value = static_cast<T>(reader.Dword(j[name], member, std::numeric_limits<T>::max()));
        }
      },
      object);
}

// `object`'s fields, added to `j`.
template <typename Fields, typename Object>
Json WriteFields(Fields fields, const Object& object, Json j = Json::object()) {
  fields(
      [&](const char* name, const auto& value) {
        if constexpr (std::is_same_v<std::remove_cvref_t<decltype(value)>, std::string>) {
          j[name] = AnsiToUtf8(value);
        } else {
          j[name] = value;
        }
      },
      object);
  return j;
}

Json SerialJson(const SerialAttachments& serial) {
  Json ports = Json::object();
  for (const auto& [port, attached] : serial) {
    Json entry = Json::object();
    if (attached.busy) entry["busy"] = true;
    if (attached.printerBaud != 0) entry["printer"] = {{"baud", attached.printerBaud}};
    if (attached.echo) entry["echo"] = true;
    if (!attached.device.empty()) entry["device"] = attached.device;
    if (attached.defaultConfig) entry["defaultConfig"] = WriteFields(kCommStateFields, *attached.defaultConfig);
    ports[port] = std::move(entry);
  }
  return ports;
}

Json LanguageJson(LANGID id) {
  for (const auto& [tag, value] : kLanguageTags) {
    if (value == id) return tag;
  }
  return id;
}

// Far deeper than the format nests (ten levels), shallow enough for the library's recursive copy and dump.
constexpr std::size_t kMaxNesting = 100;

std::size_t LineAt(const std::string& text, std::size_t offset) {
  const auto end = text.begin() + static_cast<std::ptrdiff_t>(std::min(offset, text.size()));
  return 1 + static_cast<std::size_t>(std::count(text.begin(), end, '\n'));
}

// Where a JSON parse error happened, as a line number, and what the parser said about it.
std::string ParseProblem(const std::string& text, const Json::parse_error& e) {
  std::string message = e.what();
  if (const std::size_t column = message.find("column"); column != std::string::npos) {
    if (const std::size_t colon = message.find(": ", column); colon != std::string::npos) message.erase(0, colon + 2);
  }
  return "not valid JSON at line " + std::to_string(LineAt(text, e.byte == 0 ? 0 : e.byte - 1)) + ": " + message;
}

// A number beyond what a double holds ("1e400"): the library names it, not where it is.
std::string RangeProblem(const std::string& text, const Json::exception& e) {
  const std::string message = e.what();
  const std::size_t open = message.find('\'');
  const std::size_t close = message.rfind('\'');
  if (open == std::string::npos || close <= open + 1) return "not valid JSON: a number is out of range";
  const std::string number = message.substr(open + 1, close - open - 1);
  return "not valid JSON at line " + std::to_string(LineAt(text, text.find(number))) + ": the number " + number +
         " is out of range";
}

Json ParseDocument(const std::string& text, const JsonReader& reader) {
  const std::function<void()> tooDeep = [&] {
    reader.Fail("lists and objects are nested deeper than " + std::to_string(kMaxNesting) + " levels");
  };
  try {
    return ParseOrderedJson(text, kMaxNesting, tooDeep);
  } catch (const Json::parse_error& e) {
    reader.Fail(ParseProblem(text, e));
  } catch (const Json::out_of_range& e) {
    reader.Fail(RangeProblem(text, e));
  }
}

class FileReader : public JsonReader {
public:
  using JsonReader::JsonReader;

  void Header(const Json& doc) const {
    if (!doc.is_object()) Fail("not a JSON object");
    if (!doc.contains("format")) Fail("not a kvx-machine file (no \"format\" field)");
    if (doc["format"] != kMachineFormat) Fail("format " + doc["format"].dump() + " is not \"" + kMachineFormat + "\"");
    if (!doc.contains("version")) Fail("no \"version\" field");
    if (doc["version"] != kMachineVersion) {
      Fail("version " + doc["version"].dump() + " is not supported (expected " + std::to_string(kMachineVersion) + ")");
    }
  }

  void Os(const Json& j, OsVersionConfig& os) const {
    ReadFields(*this, j, "os", kOsFields, os);
    if (os.csd.size() > 127) Fail("\"os.csd\" is longer than 127 characters");
  }

  LANGID Language(const Json& j) const {
    if (j.is_string()) {
      for (const auto& [tag, value] : kLanguageTags) {
        if (EqualNoCase(tag, j.get<std::string>())) return value;
      }
      Fail("\"uiLanguage\" " + j.dump() + " is not a known language tag (use a number, e.g. 1046 for pt-BR)");
    }
    return static_cast<LANGID>(Dword(j, "uiLanguage", 0xFFFF));
  }

  void Services(const Json& j, ServiceConfigs& services) const {
    if (!j.is_object()) Fail("\"services\" must be an object");
    for (const auto& [nameUtf8, entry] : j.items()) {
      const std::string field = "services." + nameUtf8;
      const std::string name = Text(Json(nameUtf8), field);
      if (name.empty()) Fail("\"services\" has a service without a name");
      auto it = services.find(name);
      if (it == services.end()) it = services.emplace(name, ServiceConfig{}).first;
      ReadFields(*this, entry, field, kServiceFields, it->second, {"state"});
      if (entry.contains("state")) it->second.state = ServiceState(entry["state"], field + ".state");
    }
  }

  void Serial(const Json& j, SerialAttachments& serial) const {
    if (!j.is_object()) Fail("\"serial\" must be an object");
    for (const auto& [port, entry] : j.items()) {
      const std::string field = "serial." + port;
      const auto name = ComPortKey(port);
      if (!name) Fail("\"" + field + "\" is not a COM port name (COM1, COM2, ...)");
      Object(entry, field, {"printer", "busy", "echo", "device", "defaultConfig"});
      SerialAttachment attached;
      if (entry.contains("busy")) attached.busy = Bool(entry["busy"], field + ".busy");
      if (entry.contains("echo")) attached.echo = Bool(entry["echo"], field + ".echo");
      if (entry.contains("printer")) {
        Object(entry["printer"], field + ".printer", {"baud"});
        if (!entry["printer"].contains("baud")) Fail("\"" + field + ".printer\" has no \"baud\"");
        attached.printerBaud = Dword(entry["printer"]["baud"], field + ".printer.baud");
        if (attached.printerBaud == 0) Fail("\"" + field + ".printer.baud\" must not be 0");
      }
      if (entry.contains("device")) {
        // A path of this computer: kept as the file has it, not converted like the machine's texts.
        if (!entry["device"].is_string() || entry["device"].get<std::string>().empty()) {
          Fail("\"" + field + ".device\" must be a device path");
        }
        attached.device = entry["device"].get<std::string>();
      }
      if (entry.contains("defaultConfig")) {
        ReadFields(*this, entry["defaultConfig"], field + ".defaultConfig", kCommStateFields,
                   attached.defaultConfig.emplace());
      }
      const bool device = !attached.device.empty();
      if ((attached.busy && (device || attached.echo || attached.printerBaud != 0)) ||
          (device && (attached.echo || attached.printerBaud != 0))) {
        Fail("\"" + field + "\": \"busy\" and \"device\" cannot be combined with anything else");
      }
      if (!serial.emplace(*name, attached).second) Fail("\"serial\" names " + *name + " twice");
    }
  }

  DWORD ServiceState(const Json& j, const std::string& field) const {
    if (j.is_string()) {
      for (const auto& [name, state] : kServiceStates) {
        if (j.get<std::string>() == name) return state;
      }
    }
    Fail("\"" + field + "\" must be \"stopped\", \"startPending\", \"stopPending\" or \"running\"");
  }
};

void AddDefaultRegistryKeys(RegistryTree& registry) {
  std::lock_guard lock(registry.mutex());
  registry.Root(RootKey::LocalMachine)->AddSubkey("SOFTWARE");
  registry.Root(RootKey::LocalMachine)->AddSubkey("SYSTEM");
  registry.Root(RootKey::CurrentUser)->AddSubkey("Software");
  registry.Root(RootKey::Users)->AddSubkey(".DEFAULT");
}

}  // namespace

const Json& DefaultMachineDocument() {
  static const Json document = Json::parse(kDefaultMachineJson);
  return document;
}

void ParseMachineFile(const std::string& text, const std::string& label, MachineConfig& config,
                      RegistryTree& registry, SpoolerState& spooler, Json& document) {
  const FileReader reader(label);
  Json doc = ParseDocument(text, reader);
  reader.Header(doc);

  MachineConfig loaded;
  if (doc.contains("os")) reader.Os(doc["os"], loaded.os);
  if (doc.contains("uiLanguage")) loaded.uiLanguage = reader.Language(doc["uiLanguage"]);
  Json defaults = DefaultMachineDocument();
  for (const char* member : {"programFile", "monitorModules"}) {
    if (!doc.contains(member)) doc[member] = defaults[member];
  }
  loaded.programFile = reader.Text(doc["programFile"], "programFile");
  if (doc.contains("clock")) ReadFields(reader, doc["clock"], "clock", kClockFields, loaded);
  if (doc.contains("user")) ReadFields(reader, doc["user"], "user", kUserFields, loaded.user);
  if (doc.contains("services")) reader.Services(doc["services"], loaded.services);
  if (doc.contains("serial")) reader.Serial(doc["serial"], loaded.serial);
  SpoolerState loadedSpooler;
  if (doc.contains("spooler")) {
    std::optional<bool> running;
    ReadSpoolerJson(doc["spooler"], reader, loadedSpooler, running);
    // "running" is the spooler's side of the Spooler service's state, which has the last word.
    bool stateGiven = false;
    if (doc.contains("services")) {
      for (const auto& [name, entry] : doc["services"].items()) {
        stateGiven |= EqualNoCase(name, kSpoolerService) && entry.contains("state");
      }
    }
    if (running && !stateGiven) {
      loaded.services[kSpoolerService].state = *running ? svcstate::Running : svcstate::Stopped;
    }
  }

  loadedSpooler.monitorModules = ReadMonitorModules(doc["monitorModules"], reader);

  const bool portsGiven = doc.contains("ports");
  // The default boards sit on the default adapter: a machine with adapters of its own has none.
  if (doc.contains("networkAdapters")) defaults["boards"] = Json::array();
  for (const char* section : {"ports", "networkAdapters", "boards"}) {
    if (!doc.contains(section)) {
      doc[section] = defaults[section];
    } else if (doc[section].type() != defaults[section].type()) {
      reader.Fail(std::string("\"") + section + "\" must be " + (defaults[section].is_array() ? "a list" : "an object"));
    }
  }
  ReadNetworkConfig(doc, label);  // checked on loading; the network reads it again on each use
  // The spooler keeps the local ports; the rest of "ports" is kept as written.
  if (portsGiven) {
    loadedSpooler.localPorts.clear();
    for (const auto& [member, kind] : kPortKinds) {
      if (!doc["ports"].contains(member)) continue;
      for (std::string& name : reader.TextList(doc["ports"][member], std::string("ports.") + member)) {
        loadedSpooler.localPorts.push_back({std::move(name), kind});
      }
      doc["ports"].erase(member);
    }
  }
  if (doc.contains("registry")) {
    ReadRegistryJson(doc["registry"], label, registry);
  } else {
    AddDefaultRegistryKeys(registry);
  }
  config = std::move(loaded);
  spooler = std::move(loadedSpooler);
  document = Json::object();
  for (auto& [name, value] : doc.items()) {
    if (!IsOwned(name)) document[name] = std::move(value);
  }
}

std::string DefaultMachineFile() { return Json{{"format", kMachineFormat}, {"version", kMachineVersion}}.dump(); }

std::string FormatMachineFile(const MachineConfig& config, RegistryTree& registry, const SpoolerState& spooler,
                              const Json& document) {
  return MachineFileDocument(config, registry, spooler, document).dump(2) + "\n";
}

Json MachineFileDocument(const MachineConfig& config, RegistryTree& registry, const SpoolerState& spooler,
                         const Json& document) {
  Json doc = Json::object();
  doc["format"] = kMachineFormat;
  doc["version"] = kMachineVersion;
  doc["os"] = WriteFields(kOsFields, config.os);
  doc["uiLanguage"] = LanguageJson(config.uiLanguage);
  doc["programFile"] = AnsiToUtf8(config.programFile);
  doc["clock"] = WriteFields(kClockFields, config);
  doc["user"] = WriteFields(kUserFields, config.user);
  Json services = Json::object();
  for (const auto& [name, s] : config.services) {
    services[AnsiToUtf8(name)] = WriteFields(kServiceFields, s, {{"state", ServiceStateName(s.state)}});
  }
  doc["services"] = std::move(services);
  const auto spoolerService = config.services.find(kSpoolerService);
  doc["spooler"] = WriteSpoolerJson(
      spooler, spoolerService != config.services.end() && spoolerService->second.state == svcstate::Running);
  doc["monitorModules"] = WriteMonitorModules(spooler.monitorModules);
  doc["ports"] = PortsJson(spooler.localPorts, document.contains("ports") ? document["ports"] : Json::object());
  if (!config.serial.empty()) doc["serial"] = SerialJson(config.serial);
  for (const auto& [name, value] : document.items()) {
    if (!IsOwned(name) && name != "ports") doc[name] = value;
  }
  // Last, as it is the longest part.
  doc["registry"] = WriteRegistryJson(registry);
  return doc;
}

}  // namespace platform::sim

#include "platform/sim/MachineFile.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

#include "platform/sim/RegistryJson.h"
#include "platform/sim/Text.h"

namespace platform::sim {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::array<std::pair<const char*, LANGID>, 9> kLanguageTags = {{
    {"en-US", 0x0409}, {"pt-BR", 0x0416}, {"pt-PT", 0x0816}, {"es-ES", 0x0C0A}, {"de-DE", 0x0407},
    {"fr-FR", 0x040C}, {"it-IT", 0x0410}, {"ja-JP", 0x0411}, {"zh-CN", 0x0804},
}};

bool IsOwned(std::string_view member) {
  for (const char* owned : {"format", "version", "os", "uiLanguage", "programFile", "clock", "registry"}) {
    if (member == owned) return true;
  }
  return false;
}

Json LanguageJson(LANGID id) {
  for (const auto& [tag, value] : kLanguageTags) {
    if (value == id) return tag;
  }
  return id;
}

// Where a JSON parse error happened, as a line number, and what the parser said about it.
std::string ParseProblem(const std::string& text, const Json::parse_error& e) {
  const std::size_t end = std::min<std::size_t>(e.byte == 0 ? 0 : e.byte - 1, text.size());
  const std::size_t line = 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(end), '\n'));
  std::string message = e.what();
  if (const std::size_t column = message.find("column"); column != std::string::npos) {
    if (const std::size_t colon = message.find(": ", column); colon != std::string::npos) message.erase(0, colon + 2);
  }
  return "not valid JSON at line " + std::to_string(line) + ": " + message;
}

class FileReader {
public:
  explicit FileReader(const std::string& label) : label_(label) {}

  [[noreturn]] void Fail(const std::string& problem) const { throw MachineFileError(label_ + ": " + problem); }

  DWORD Dword(const Json& j, const std::string& field, DWORD max = 0xFFFFFFFF) const {
    if (!j.is_number_unsigned() || j.get<std::uint64_t>() > max) {
      Fail("\"" + field + "\" must be a whole number from 0 to " + std::to_string(max));
    }
    return static_cast<DWORD>(j.get<std::uint64_t>());
  }

  std::string Text(const Json& j, const std::string& field) const {
    if (!j.is_string()) Fail("\"" + field + "\" must be a text");
    auto ansi = Utf8ToAnsi(j.get<std::string>());
    if (!ansi) Fail("\"" + field + "\" has a character outside Windows-1252");
    return *ansi;
  }

  // An object whose members are all among `known`.
  void Object(const Json& j, const std::string& field, std::initializer_list<const char*> known) const {
    if (!j.is_object()) Fail("\"" + field + "\" must be an object");
    for (const auto& [name, value] : j.items()) {
      if (std::find_if(known.begin(), known.end(), [&](const char* k) { return name == k; }) == known.end()) {
        Fail("\"" + field + "\" has an unknown field \"" + name + "\"");
      }
    }
  }

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
    Object(j, "os", {"platformId", "major", "minor", "build", "csd", "queryError"});
    if (j.contains("platformId")) os.platformId = Dword(j["platformId"], "os.platformId");
    if (j.contains("major")) os.major = Dword(j["major"], "os.major");
    if (j.contains("minor")) os.minor = Dword(j["minor"], "os.minor");
    if (j.contains("build")) os.build = Dword(j["build"], "os.build");
    if (j.contains("csd")) {
      os.csd = Text(j["csd"], "os.csd");
      if (os.csd.size() > 127) Fail("\"os.csd\" is longer than 127 characters");
    }
    if (j.contains("queryError")) os.queryError = Dword(j["queryError"], "os.queryError");
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

private:
  const std::string& label_;
};

}  // namespace

Json DefaultMachineDocument() {
  Json doc = Json::object();
  doc["spooler"] = {{"running", true}, {"printers", Json::array()}};
  doc["ports"] = {{"serial", {"COM1"}}, {"parallel", {"LPT1"}}};
  doc["networkAdapters"] = Json::array({Json{{"name", "Ethernet"},
                                             {"description", "Simulated Ethernet Adapter"},
                                             {"mac", "02-00-4B-56-58-01"},
                                             {"ip", "192.0.2.10"},
                                             {"mask", "255.255.255.0"},
                                             {"gateway", "192.0.2.1"}}});
  return doc;
}

void AddDefaultRegistryKeys(RegistryTree& registry) {
  std::lock_guard lock(registry.mutex());
  registry.Root(RootKey::LocalMachine)->AddSubkey("SOFTWARE");
  registry.Root(RootKey::LocalMachine)->AddSubkey("SYSTEM");
  registry.Root(RootKey::CurrentUser)->AddSubkey("Software");
  registry.Root(RootKey::Users)->AddSubkey(".DEFAULT");
}

void ParseMachineFile(const std::string& text, const std::string& label, MachineConfig& config,
                      RegistryTree& registry, Json& document) {
  const FileReader reader(label);
  Json doc;
  try {
    doc = Json::parse(text);
  } catch (const Json::parse_error& e) {
    reader.Fail(ParseProblem(text, e));
  }
  reader.Header(doc);

  MachineConfig loaded;
  if (doc.contains("os")) reader.Os(doc["os"], loaded.os);
  if (doc.contains("uiLanguage")) loaded.uiLanguage = reader.Language(doc["uiLanguage"]);
  if (doc.contains("programFile")) loaded.programFile = reader.Text(doc["programFile"], "programFile");
  if (doc.contains("clock")) {
    reader.Object(doc["clock"], "clock", {"startTick"});
    if (doc["clock"].contains("startTick")) loaded.startTick = reader.Dword(doc["clock"]["startTick"], "clock.startTick");
  }

  const Json defaults = DefaultMachineDocument();
  for (const char* section : {"spooler", "ports", "networkAdapters"}) {
    if (!doc.contains(section)) {
      doc[section] = defaults[section];
    } else if (doc[section].type() != defaults[section].type()) {
      reader.Fail(std::string("\"") + section + "\" must be " + (defaults[section].is_array() ? "a list" : "an object"));
    }
  }
  if (doc.contains("registry")) {
    ReadRegistryJson(doc["registry"], label, registry);
  } else {
    AddDefaultRegistryKeys(registry);
  }
  config = std::move(loaded);
  document = Json::object();
  for (auto& [name, value] : doc.items()) {
    if (!IsOwned(name)) document[name] = std::move(value);
  }
}

std::string FormatMachineFile(const MachineConfig& config, RegistryTree& registry, const Json& document) {
  Json doc = Json::object();
  doc["format"] = kMachineFormat;
  doc["version"] = kMachineVersion;
  doc["os"] = {{"platformId", config.os.platformId}, {"major", config.os.major},       {"minor", config.os.minor},
               {"build", config.os.build},           {"csd", AnsiToUtf8(config.os.csd)}, {"queryError", config.os.queryError}};
  doc["uiLanguage"] = LanguageJson(config.uiLanguage);
  doc["programFile"] = AnsiToUtf8(config.programFile);
  doc["clock"] = {{"startTick", config.startTick}};
  for (const auto& [name, value] : document.items()) {
    if (!IsOwned(name)) doc[name] = value;
  }
  // Last, as it is the longest part.
  doc["registry"] = WriteRegistryJson(registry);
  return doc.dump(2) + "\n";
}

}  // namespace platform::sim

#include "platform/sim/NetworkJson.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "platform/sim/JsonReader.h"

namespace platform::sim {

namespace {

using Json = nlohmann::ordered_json;

constexpr std::size_t kMaxAdapters = 64;
constexpr std::size_t kMaxBoards = 256;
constexpr Ipv4 kAny{0, 0, 0, 0};

Ipv4 Address(const JsonReader& reader, const Json& j, const std::string& field) {
  const auto parsed = ParseIpv4(reader.Text(j, field));
  if (!parsed) reader.Fail("\"" + field + "\" must be an IPv4 address a.b.c.d");
  return *parsed;
}

std::vector<std::uint8_t> HardwareAddress(const JsonReader& reader, const Json& j, const std::string& field) {
  const std::string text = reader.Text(j, field);
  std::vector<std::uint8_t> bytes;
  for (std::size_t pos = 0; pos < text.size(); pos += 3) {
    const auto hex = [](char c) {
      return c >= '0' && c <= '9'   ? c - '0'
             : c >= 'A' && c <= 'F' ? c - 'A' + 10
             : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                    : -1;
    };
    const bool ok = pos + 2 <= text.size() && hex(text[pos]) >= 0 && hex(text[pos + 1]) >= 0 &&
                    (pos + 2 == text.size() || text[pos + 2] == '-') && bytes.size() < 8;
    if (!ok) reader.Fail("\"" + field + "\" must be up to 8 hexadecimal bytes joined by '-'");
    bytes.push_back(static_cast<std::uint8_t>(hex(text[pos]) << 4 | hex(text[pos + 1])));
  }
  if (!text.empty() && text.back() == '-')
    reader.Fail("\"" + field + "\" must be up to 8 hexadecimal bytes joined by '-'");
  return bytes;
}

SimAdapter ReadAdapter(const JsonReader& reader, const Json& j, const std::string& field) {
  reader.Object(j, field, {"name", "description", "mac", "ip", "mask", "gateway", "moreAddresses", "moreGateways"});
  for (const char* name : {"name", "mac", "ip", "mask"}) {
    if (!j.contains(name)) reader.Fail("\"" + field + "." + name + "\" is missing");
  }
  SimAdapter a;
  a.name = reader.Text(j["name"], field + ".name");
  if (j.contains("description")) a.description = reader.Text(j["description"], field + ".description");
  a.mac = HardwareAddress(reader, j["mac"], field + ".mac");
  a.addresses.emplace_back(Address(reader, j["ip"], field + ".ip"), Address(reader, j["mask"], field + ".mask"));
  a.gateways.push_back(j.contains("gateway") ? Address(reader, j["gateway"], field + ".gateway") : kAny);
  if (j.contains("moreAddresses")) {
    const std::string list = field + ".moreAddresses";
    if (!j["moreAddresses"].is_array() || j["moreAddresses"].size() > 16)
      reader.Fail("\"" + list + "\" must be a list of up to 16");
    for (std::size_t i = 0; i < j["moreAddresses"].size(); ++i) {
      const std::string item = list + "[" + std::to_string(i) + "]";
      const Json& entry = j["moreAddresses"][i];
      reader.Object(entry, item, {"ip", "mask"});
      if (!entry.contains("ip") || !entry.contains("mask")) reader.Fail("\"" + item + "\" needs \"ip\" and \"mask\"");
      a.addresses.emplace_back(Address(reader, entry["ip"], item + ".ip"),
                               Address(reader, entry["mask"], item + ".mask"));
    }
  }
  if (j.contains("moreGateways")) {
    const std::string list = field + ".moreGateways";
    if (!j["moreGateways"].is_array() || j["moreGateways"].size() > 16)
      reader.Fail("\"" + list + "\" must be a list of up to 16");
    for (std::size_t i = 0; i < j["moreGateways"].size(); ++i) {
      a.gateways.push_back(Address(reader, j["moreGateways"][i], list + "[" + std::to_string(i) + "]"));
    }
  }
  return a;
}

}  // namespace

SimNetworkConfig ReadNetworkConfig(const Json& document, const std::string& label, bool boardsNeedAdapters) {
  const JsonReader reader(label);
  SimNetworkConfig config;
  if (const auto it = document.find("networkAdapters"); it != document.end()) {
    if (!it->is_array() || it->size() > kMaxAdapters) {
      reader.Fail("\"networkAdapters\" must be a list of up to " + std::to_string(kMaxAdapters) + " adapters");
    }
    for (std::size_t i = 0; i < it->size(); ++i) {
      config.adapters.push_back(ReadAdapter(reader, (*it)[i], "networkAdapters[" + std::to_string(i) + "]"));
    }
  }
  if (const auto it = document.find("boards"); it != document.end()) {
    if (!it->is_array() || it->size() > kMaxBoards) {
      reader.Fail("\"boards\" must be a list of up to " + std::to_string(kMaxBoards) + " boards");
    }
    for (std::size_t i = 0; i < it->size(); ++i) {
      const std::string field = "boards[" + std::to_string(i) + "]";
      Board board = ParseBoard((*it)[i], label, field);
      for (const std::string& name : boardsNeedAdapters ? board.adapters : std::vector<std::string>{}) {
        if (std::none_of(config.adapters.begin(), config.adapters.end(),
                         [&](const SimAdapter& a) { return a.name == name; })) {
          reader.Fail("\"" + field + ".adapter\" names no adapter of \"networkAdapters\": \"" + name + "\"");
        }
      }
      config.boards.push_back(std::move(board));
    }
  }
  return config;
}

}  // namespace platform::sim

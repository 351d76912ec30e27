// The adapter table over the simulated machine's adapter list.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "comm/AdapterTable.h"
#include "platform/sim/SimMachine.h"

namespace {

using Json = nlohmann::ordered_json;

Json Adapter(const std::string& mac, const std::string& ip, const std::string& gateway = "0.0.0.0") {
  return {{"name", "Ethernet " + mac + ip}, {"mac", mac}, {"ip", ip}, {"mask", "255.255.255.0"}, {"gateway", gateway}};
}

Json Adapters(int count) {
  Json list = Json::array();
  for (int i = 0; i < count; ++i)
    list.push_back(Adapter("02-00-00-00-00-" + std::to_string(10 + i), "10.0.0." + std::to_string(i + 1)));
  return list;
}

struct TableCase {
  const char* name;
  Json adapters;
  std::vector<std::string> keys;  // in table order
  std::string lookUp;             // an address FindAdapterByAddress is asked for
  std::string foundGateway;       // the gateway of the record it finds; "" for none
};

void PrintTo(const TableCase& c, std::ostream* os) { *os << c.name; }

class AdapterTableTest : public testing::TestWithParam<TableCase> {};

TEST_P(AdapterTableTest, OneRecordPerHardwareAddressFirstWins) {
  const TableCase& c = GetParam();
  auto machine = platform::sim::SimMachine::InMemory();
  machine->document()["networkAdapters"] = c.adapters;
  platform::Platform os = machine->platform();
  AdapterTable table;
  BuildAdapterTable(os.ipHelper, table);
  std::vector<std::string> keys;
  for (const auto& [key, record] : table) keys.push_back(key);
  EXPECT_EQ(keys, c.keys);
  const AdapterRecord* found = FindAdapterByAddress(table, c.lookUp);
  EXPECT_EQ(found ? found->gateway : "", c.foundGateway);
}

std::vector<std::string> Keys(int count) {
  std::vector<std::string> keys;
  for (int i = 0; i < count; ++i) keys.push_back("02-00-00-00-00-" + std::to_string(10 + i) + "\n");
  return keys;
}

INSTANTIATE_TEST_SUITE_P(
    Machines, AdapterTableTest,
    testing::Values(
        TableCase{"SameMacTwiceFirstKept",
                  Json::array({Adapter("02-00-00-00-00-0B", "10.0.0.1", "10.0.0.254"),
                               Adapter("02-00-00-00-00-0b", "10.0.1.1", "10.0.1.254")}),
                  {"02-00-00-00-00-0B\n"}, "10.0.0.1", "10.0.0.254"},
        TableCase{"KeyOrderNotChainOrder",
                  Json::array({Adapter("02-00-00-00-00-0B", "10.0.0.1", "10.0.0.254"),
                               Adapter("02-00-00-00-00-0A", "10.0.0.1", "10.0.1.254")}),
                  {"02-00-00-00-00-0A\n", "02-00-00-00-00-0B\n"}, "10.0.0.1", "10.0.1.254"},
        TableCase{"EightByteAndNoHardwareAddress",
                  Json::array({Adapter("0A-0B-0C-0D-0E-0F-10-11", "10.0.0.1"), Adapter("", "10.0.0.2", "10.0.0.9")}),
                  {"", "0A-0B-0C-0D-0E-0F-10-11\n"}, "10.0.0.2", "10.0.0.9"},
        TableCase{"FifteenCharacterAddressesWhole",
                  Json::array({Adapter("02-00-00-00-00-0C", "192.168.178.100", "192.168.178.254")}),
                  {"02-00-00-00-00-0C\n"}, "192.168.178.100", "192.168.178.254"},
        TableCase{"SixteenAdaptersFillTheBuffer", Adapters(16), Keys(16), "10.0.0.16", "0.0.0.0"},
        TableCase{"SeventeenDoNotFit", Adapters(17), {}, "10.0.0.1", ""},
        TableCase{"NoAdapter", Json::array(), {}, "10.0.0.1", ""}));

}  // namespace

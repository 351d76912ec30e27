#pragma once
// A key of the simulated registry as text, to compare trees: one line per key and per value in the
// machine's order; long data by its size and a hash, so that a failure stays readable.
#include <cstdint>
#include <sstream>
#include <string>

#include "platform/sim/RegistryTree.h"
#include "platform/sim/Text.h"

namespace simtest {

inline void DumpKey(const platform::sim::RegNode& node, const std::string& path, std::ostringstream& out) {
  out << "[" << path << "]\n";
  for (const auto& v : node.values) {
    out << v.name << " " << v.type << " ";
    if (v.data.size() <= 16) {
      out << platform::sim::ToHex(v.data) << "\n";
      continue;
    }
    std::uint32_t hash = 2166136261u;
    for (const std::uint8_t b : v.data) hash = (hash ^ b) * 16777619u;
    out << v.data.size() << " bytes, hash " << hash << "\n";
  }
  for (const auto& child : node.subkeys) DumpKey(*child, path + "\\" + child->name, out);
}

inline std::string DumpKey(const platform::sim::RegNode& node) {
  std::ostringstream out;
  DumpKey(node, node.name, out);
  return out.str();
}

}  // namespace simtest

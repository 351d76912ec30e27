#pragma once
// Windows' binary registry hive file ("regf", as RegSaveKeyExW writes it in its latest format) from
// and into keys of the simulated registry. The machine's names and text values are Windows-1252, the
// file's UTF-16: a name is stored one byte per character where every character fits in one, as
// Windows stores it, and the data of REG_SZ, REG_EXPAND_SZ and REG_MULTI_SZ values as UTF-16LE.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/sim/RegistryTree.h"

namespace platform::sim {

// The file's bytes for `key` with its values and subkeys; `fileTime` (a FILETIME) stamps every key.
std::vector<std::uint8_t> WriteHive(const RegNode& key, std::uint64_t fileTime);

// Reads the hive file into `root`, a new key named as the file's root key. 0; winerr::NotRegistryFile
// for a file that is not a hive; winerr::BadDb for a hive whose keys are broken (names Windows would
// refuse, repeated names, a key reached twice) or nest more than maxDepth levels below its root.
// A name or text the machine's code page lacks reads as '?', as the "A" functions would show it.
DWORD ReadHive(const std::filesystem::path& file, std::size_t maxDepth, std::shared_ptr<RegNode>& root);

}  // namespace platform::sim

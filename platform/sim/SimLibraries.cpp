#include "platform/sim/SimLibraries.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/sim/Text.h"

namespace platform::sim {

namespace {

struct LibraryExports {
  const char* name;
  std::vector<std::string_view> functions;
};

// The system libraries and the functions of theirs that the system looks up by name.
const std::array<LibraryExports, 8> kLibraries = {{
    {"newdev.dll", {"UpdateDriverForPlugAndPlayDevicesA"}},
    {"SETUPAPI.DLL",
     {"SetupDiClassGuidsFromNameA", "SetupDiDestroyDeviceInfoList", "SetupDiEnumDeviceInfo", "SetupDiGetClassDevsA",
      "SetupDiGetDeviceRegistryPropertyA", "SetupDiOpenDevRegKey"}},
    {"winspool.drv", {"AddPortExA", "DeletePortA"}},
    {"Netapi32.dll", {"NetApiBufferFree", "NetUserGetInfo"}},
    // Loadable, but the system finds nothing in them by name.
    {"kernel32.dll", {}},
    {"advapi32.dll", {}},
    {"version.dll", {}},
    {"user32.dll", {}},
}};

// A name as LoadLibraryA takes it: a missing extension means ".dll".
std::string WithExtension(const std::string& name) {
  return name.find('.') == std::string::npos ? name + ".dll" : name;
}

bool ListHas(const nlohmann::ordered_json& list, const std::string& name) {
  if (!list.is_array()) return false;
  for (const auto& item : list) {
    if (item.is_string() && EqualNoCase(item.get<std::string>(), name)) return true;
  }
  return false;
}

class SimLibrary : public Library {
public:
  SimLibrary(MachineLock lock, const LibraryExports& exports, std::vector<std::string> missing,
             std::shared_ptr<FaultInjector> faults, std::shared_ptr<HandleTable> handles, HandleTable::Id id)
      : lock_(std::move(lock)), exports_(exports), missing_(std::move(missing)), faults_(std::move(faults)),
        handles_(std::move(handles)), id_(id) {}
  ~SimLibrary() override {
    const auto held = lock_.Hold();
    handles_->Release(id_);
  }

  DWORD FindFunction(const std::string& name) override {
    const auto held = lock_.Hold();
    if (const DWORD error = faults_->Check("GetProcAddress")) return error;
    // Exported names mind case.
    const bool exported = std::find(exports_.functions.begin(), exports_.functions.end(), name) != exports_.functions.end();
    const bool taken = std::find(missing_.begin(), missing_.end(), name) != missing_.end();
    return exported && !taken ? winerr::Success : winerr::ProcNotFound;
  }

private:
  MachineLock lock_;
  const LibraryExports& exports_;
  std::vector<std::string> missing_;
  std::shared_ptr<FaultInjector> faults_;
  std::shared_ptr<HandleTable> handles_;
  HandleTable::Id id_;
};

}  // namespace

SimLibraries::SimLibraries(MachineLock lock, const nlohmann::ordered_json& document,
                           std::shared_ptr<FaultInjector> faults, std::shared_ptr<HandleTable> handles)
    : lock_(std::move(lock)), document_(document), faults_(std::move(faults)), handles_(std::move(handles)) {}

DWORD SimLibraries::LoadLibraryA(const std::string& name, std::unique_ptr<Library>& out) {
  const auto held = lock_.Hold();
  out.reset();
  if (const DWORD error = faults_->Check("LoadLibraryA")) return error;
  const std::string file = WithExtension(name);
  const auto library = std::find_if(kLibraries.begin(), kLibraries.end(),
                                    [&](const LibraryExports& lib) { return EqualNoCase(lib.name, file); });
  if (library == kLibraries.end()) return winerr::ModNotFound;
  std::vector<std::string> missingFunctions;
  if (const auto libs = document_.find("libraries"); libs != document_.end() && libs->is_object()) {
    if (const auto missing = libs->find("missing"); missing != libs->end() && ListHas(*missing, file)) {
      return winerr::ModNotFound;
    }
    if (const auto fns = libs->find("missingFunctions"); fns != libs->end() && fns->is_object()) {
      for (const auto& [lib, list] : fns->items()) {
        if (!EqualNoCase(lib, file) || !list.is_array()) continue;
        for (const auto& f : list) {
          if (f.is_string()) missingFunctions.push_back(f.get<std::string>());
        }
      }
    }
  }
  const auto id = handles_->Register("library", file);
  out = std::make_unique<SimLibrary>(lock_, *library, std::move(missingFunctions), faults_, handles_, id);
  return winerr::Success;
}

}  // namespace platform::sim

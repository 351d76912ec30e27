#pragma once
// A machine.json made of the given members is refused with exactly this problem, and left as it was.
#include <gtest/gtest.h>

#include <string>

#include "platform/sim/MachineFileError.h"
#include "platform/sim/SimMachine.h"
#include "platform/sim/SimTestSupport.h"

namespace simtest {

inline std::string MachineDocument(const std::string& members) {
  return R"({"format": "kvx-machine", "version": 1, )" + members + "}";
}

inline void ExpectDocumentRefused(const std::string& members, const std::string& problem) {
  TempDir temp;
  const auto file = temp.path() / "machine.json";
  const std::string text = MachineDocument(members);
  WriteFile(file, text);
  try {
    (void)platform::sim::SimMachine::OpenFolder(temp.path());
    ADD_FAILURE() << "accepted";
  } catch (const platform::sim::MachineFileError& e) {
    EXPECT_EQ(std::string(e.what()), file.string() + ": " + problem);
  }
  EXPECT_EQ(ReadFile(file), text);
}

}  // namespace simtest

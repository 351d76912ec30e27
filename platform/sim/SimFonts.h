#pragma once
// The screen's font families of the simulated machine: machine.json's "fonts", a list of
// {"face": "...", "type": 4} in enumeration order (type: fonttype bits), or the default machine's
// when the member is absent. Read at every call, so a test may
// change the document; a list that cannot be used throws MachineFileError.
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "platform/Fonts.h"
#include "platform/sim/MachineLock.h"

namespace platform::sim {

class SimFonts : public Fonts {
public:
  // `label` names the machine file in errors. Checks the list at once.
  SimFonts(MachineLock lock, const nlohmann::ordered_json& document, std::string label);

  std::vector<FontFamily> EnumScreenFontFamilies() override;

private:
  MachineLock lock_;
  const nlohmann::ordered_json& document_;
  std::string label_;
};

}  // namespace platform::sim

#include "platform/sim/SimFonts.h"

#include <nlohmann/json.hpp>

#include "platform/Windows1252.h"
#include "platform/sim/JsonReader.h"
#include "platform/sim/MachineFile.h"

namespace platform::sim {
namespace {

// LOGFONTW's lfFaceName holds 32 units with the terminating NUL.
constexpr std::size_t kMaxFaceUnits = 31;

}  // namespace

SimFonts::SimFonts(MachineLock lock, const nlohmann::ordered_json& document, std::string label)
    : lock_(std::move(lock)), document_(document), label_(std::move(label)) {
  (void)EnumScreenFontFamilies();
}

std::vector<FontFamily> SimFonts::EnumScreenFontFamilies() {
  const auto held = lock_.Hold();
  const JsonReader reader(label_);
  const auto& list = document_.contains("fonts") ? document_["fonts"] : DefaultMachineDocument()["fonts"];
  if (!list.is_array()) reader.Fail("\"fonts\" must be a list of {\"face\", \"type\"}");
  std::vector<FontFamily> families;
  for (const auto& entry : list) {
    const std::string field = "fonts[" + std::to_string(families.size()) + "]";
    reader.Object(entry, field, {"face", "type"});
    if (!entry.contains("face") || !entry.contains("type")) reader.Fail("\"" + field + "\" needs \"face\" and \"type\"");
    const auto& face = entry["face"];
    const auto name = face.is_string() ? Utf8ToUtf16(face.get<std::string>()) : std::nullopt;
    if (!name || name->empty() || name->size() > kMaxFaceUnits) {
      reader.Fail("\"" + field + ".face\" must be a text of 1 to " + std::to_string(kMaxFaceUnits) + " UTF-16 units");
    }
    families.push_back({*name, reader.Dword(entry["type"], field + ".type", 7)});
  }
  return families;
}

}  // namespace platform::sim

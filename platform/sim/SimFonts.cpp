#include "platform/sim/SimFonts.h"

#include <nlohmann/json.hpp>

#include "platform/Windows1252.h"
#include "platform/sim/JsonReader.h"

namespace platform::sim {
namespace {

// LOGFONTW's lfFaceName holds 32 units with the terminating NUL.
constexpr std::size_t kMaxFaceUnits = 31;

}  // namespace

SimFonts::SimFonts(MachineLock lock, const nlohmann::ordered_json& document, std::string label)
    : lock_(std::move(lock)), document_(document), label_(std::move(label)) {
  (void)EnumScreenFontFamilies();
}

std::vector<FontFamily> SimFonts::DefaultFamilies() {
  // Not sorted, as no enumeration is; one vertical ("@") variant beside its family.
  return {{u"Screen System", fonttype::Raster},  {u"Sans Text", fonttype::TrueType},
          {u"Book Serif", fonttype::TrueType},     {u"Terminal Fixed", fonttype::Raster},
          {u"Mono Code", fonttype::TrueType},      {u"Ming Text", fonttype::TrueType},
          {u"@Ming Text", fonttype::TrueType},     {u"Script Hand", fonttype::TrueType},
          {u"Small Dots", fonttype::Raster},       {u"Display Slab", fonttype::TrueType},
          {u"Pi Symbols", fonttype::TrueType},     {u"Condensed Sans", fonttype::TrueType}};
}

std::vector<FontFamily> SimFonts::EnumScreenFontFamilies() {
  const auto held = lock_.Hold();
  if (!document_.contains("fonts")) return DefaultFamilies();
  const JsonReader reader(label_);
  const auto& list = document_["fonts"];
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

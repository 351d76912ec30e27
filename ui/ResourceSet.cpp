#include "ui/ResourceSet.h"

#include "ui/headless/RcParser.h"

namespace ui {
namespace {

constexpr LangId kEnglishUs = 0x0409;

// The exact language, then English (US), then whatever language has it.
template <typename T>
const T* FindByLanguage(const std::vector<T>& items, int id, LangId lang) {
  const T* english = nullptr;
  const T* any = nullptr;
  for (const auto& item : items) {
    if (item.id != id) continue;
    if (item.lang == lang) return &item;
    if (item.lang == kEnglishUs && !english) english = &item;
    if (!any) any = &item;
  }
  return english ? english : any;
}

}  // namespace

ResourceSet ResourceSet::Parse(std::string_view script) { return rc::ParseScript(script); }

const DialogTemplate* ResourceSet::FindDialog(int id, LangId lang) const { return FindByLanguage(dialogs, id, lang); }

const MenuTemplate* ResourceSet::FindMenu(int id, LangId lang) const { return FindByLanguage(menus, id, lang); }

std::optional<std::string> ResourceSet::FindString(int id, LangId lang) const {
  if (const StringEntry* entry = FindByLanguage(strings, id, lang)) return entry->text;
  return std::nullopt;
}

}  // namespace ui

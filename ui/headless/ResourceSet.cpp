#include "ui/headless/ResourceSet.h"

#include <stdexcept>

#include "platform/ProcessInfo.h"

namespace ui::headless {
namespace {

// The exact language, then English (US), then whatever language has it.
template <typename T>
const T* FindByLanguage(const std::vector<T>& items, int id, LangId lang) {
  const T* english = nullptr;
  const T* any = nullptr;
  for (const auto& item : items) {
    if (item.id != id) continue;
    if (item.lang == lang) return &item;
    if (item.lang == platform::lang::EnglishUs && !english) english = &item;
    if (!any) any = &item;
  }
  return english ? english : any;
}

}  // namespace

const DialogTemplate* ResourceSet::FindDialog(int id, LangId lang) const { return FindByLanguage(dialogs, id, lang); }

const MenuTemplate* ResourceSet::FindMenu(int id, LangId lang) const { return FindByLanguage(menus, id, lang); }

std::optional<std::string> ResourceSet::FindString(int id, LangId lang) const {
  if (const StringEntry* entry = FindByLanguage(strings, id, lang)) return entry->text;
  return std::nullopt;
}

const DialogTemplate& LocalizedResources::Dialog(int id) const {
  if (const DialogTemplate* found = set.FindDialog(id, language)) return *found;
  throw std::logic_error("there is no dialog template " + std::to_string(id));
}

}  // namespace ui::headless

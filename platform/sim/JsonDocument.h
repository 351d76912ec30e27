#pragma once
// machine.json's objects keep their members in file order (nlohmann's ordered_json), and that
// library finds a member by walking the object's members and copies them all when the object grows:
// reading or writing an object of n members one by one would take n * n steps. These build such
// objects in time linear in their size.
#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace platform::sim {

// Parses `text` as the library's parser does (a member given twice keeps its first place and its
// last value; errors are thrown as its parse_error and out_of_range); an object or list opened
// `maxDepth` levels deep calls `tooDeep`, which throws.
nlohmann::ordered_json ParseOrderedJson(const std::string& text, std::size_t maxDepth,
                                        const std::function<void()>& tooDeep);

// Members whose names differ, in order.
using JsonMembers = std::vector<std::pair<std::string, nlohmann::ordered_json>>;
// The object of those members, made without looking any name up.
nlohmann::ordered_json ObjectOf(JsonMembers members);

}  // namespace platform::sim

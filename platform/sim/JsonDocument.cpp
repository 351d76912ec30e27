#include "platform/sim/JsonDocument.h"

#include <unordered_map>

namespace platform::sim {
namespace {

using Json = nlohmann::ordered_json;

// A large object being read gets an index of its names.
constexpr std::size_t kIndexedFrom = 16;

class DocumentBuilder {
public:
  DocumentBuilder(std::size_t maxDepth, const std::function<void()>& tooDeep) : maxDepth_(maxDepth), tooDeep_(tooDeep) {}

  Json Take() { return std::move(root_); }

  bool null() { return Put(Json(nullptr)); }
  bool boolean(bool value) { return Put(Json(value)); }
  bool number_integer(Json::number_integer_t value) { return Put(Json(value)); }
  bool number_unsigned(Json::number_unsigned_t value) { return Put(Json(value)); }
  bool number_float(Json::number_float_t value, const std::string&) { return Put(Json(value)); }
  bool string(std::string& value) { return Put(Json(std::move(value))); }
  bool binary(Json::binary_t& value) { return Put(Json::binary(std::move(value))); }
  bool start_object(std::size_t) { return Open(Json::object()); }
  bool start_array(std::size_t) { return Open(Json::array()); }
  bool end_array() { return Close(); }

  bool end_object() {
    Level& level = levels_.back();
    *level.value = ObjectOf(std::move(level.members));
    return Close();
  }

  bool key(std::string& name) {
    Level& level = levels_.back();
    JsonMembers& members = level.members;
    if (level.index.empty() && members.size() >= kIndexedFrom) {
      for (std::size_t i = 0; i < members.size(); ++i) level.index.emplace(members[i].first, i);
    }
    std::size_t at = members.size();
    if (!level.index.empty()) {
      if (const auto found = level.index.find(name); found != level.index.end()) at = found->second;
    } else {
      for (std::size_t i = 0; i < members.size() && at == members.size(); ++i)
        if (members[i].first == name) at = i;
    }
    if (at == members.size()) {
      if (!level.index.empty()) level.index.emplace(name, at);
      members.emplace_back(std::move(name), nullptr);
    }
    member_ = &members[at].second;
    return true;
  }

  template <class Exception>
  bool parse_error(std::size_t, const std::string&, const Exception& error) {
    throw error;
  }

private:
  struct Level {
    Json* value;
    JsonMembers members;                                 // of an object, made into it when it closes
    std::unordered_map<std::string, std::size_t> index;  // member positions, for a large object
  };

  // Where the next value goes: the document, the member just named, or the end of a list.
  Json* Place(Json value) {
    if (levels_.empty()) {
      root_ = std::move(value);
      return &root_;
    }
    Json& parent = *levels_.back().value;
    if (parent.is_array()) {
      auto& items = parent.get_ref<Json::array_t&>();
      items.push_back(std::move(value));
      return &items.back();
    }
    *member_ = std::move(value);
    return member_;
  }
  bool Put(Json value) {
    Place(std::move(value));
    return true;
  }
  bool Open(Json value) {
    if (levels_.size() >= maxDepth_) tooDeep_();
    Json* placed = Place(std::move(value));
    levels_.push_back({placed, {}, {}});
    return true;
  }
  bool Close() {
    levels_.pop_back();
    return true;
  }

  std::size_t maxDepth_;
  const std::function<void()>& tooDeep_;
  Json root_;
  std::vector<Level> levels_;
  Json* member_ = nullptr;
};

}  // namespace

Json ParseOrderedJson(const std::string& text, std::size_t maxDepth, const std::function<void()>& tooDeep) {
  DocumentBuilder builder(maxDepth, tooDeep);
  Json::sax_parse(text, &builder);
  return builder.Take();
}

Json ObjectOf(JsonMembers members) {
  Json object = Json::object();
  // The ordered object is a list of members underneath: appended there, a name is not looked for,
  // and with room made first no member is copied.
  auto& list = static_cast<Json::object_t::Container&>(object.get_ref<Json::object_t&>());
  list.reserve(members.size());
  for (auto& [name, value] : members) list.emplace_back(std::move(name), std::move(value));
  return object;
}

}  // namespace platform::sim

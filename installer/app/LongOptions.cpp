#include "app/LongOptions.h"

#include <algorithm>
#include <set>

namespace {

// Edits (insert, delete, replace, swap of neighbours) that turn one word into the other.
std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  }
  return d[a.size()][b.size()];
}

// A known option a typing slip away, or one that begins the unknown word ("--baudrate": "--baud").
std::string Nearest(const std::string& name, const std::vector<LongOption>& known) {
  constexpr std::size_t kSlips = 2;
  std::string nearest;
  std::size_t best = kSlips + 1;
  for (const LongOption& option : known) {
    const std::size_t distance = name.starts_with(option.name) ? 1 : EditDistance(name, option.name);
    if (distance < best) {
      best = distance;
      nearest = option.name;
    }
  }
  return nearest;
}

const LongOption* Find(const std::string& name, const std::vector<LongOption>& known) {
  const auto it = std::find_if(known.begin(), known.end(), [&](const LongOption& o) { return o.name == name; });
  return it == known.end() ? nullptr : &*it;
}

bool IsLongWord(const std::string& arg) { return arg.size() > 2 && arg.starts_with("--"); }

// What the parser reads as an option of its own rather than as a value: "--x", or "-x" but for a
// negative number.
bool IsOptionWord(const std::string& arg) {
  return IsLongWord(arg) || (arg.size() > 1 && arg[0] == '-' && arg[1] != '-' && (arg[1] < '0' || arg[1] > '9'));
}

}  // namespace

std::string CheckLongOptions(const std::vector<std::string>& args, const std::vector<LongOption>& known) {
  std::set<std::string> given;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (!IsLongWord(args[i])) continue;
    const std::size_t equals = args[i].find('=');
    const std::string name = args[i].substr(0, equals);
    const LongOption* option = Find(name, known);
    if (!option) {
      const std::string nearest = Nearest(name, known);
      return "unknown option " + name + (nearest.empty() ? "" : " (did you mean " + nearest + "?)");
    }
    if (!option->takesValue) continue;
    if (equals == std::string::npos && (i + 1 == args.size() || IsOptionWord(args[i + 1]))) return name + " needs a value";
    if (equals == std::string::npos) ++i;
    if (!given.insert(name).second && !option->repeatable) return name + " is given more than once";
  }
  return {};
}

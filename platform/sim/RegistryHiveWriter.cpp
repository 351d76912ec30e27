// The hive file as RegSaveKeyExW writes it in its latest format.
#include <algorithm>
#include <string>
#include <string_view>

#include "platform/Windows1252.h"
#include "platform/sim/RegistryHive.h"
#include "platform/sim/Text.h"

namespace platform::sim {
namespace {

constexpr std::size_t kBaseBlockSize = 0x1000;
constexpr std::size_t kBinUnit = 0x1000;
constexpr std::size_t kBinHeaderSize = 0x20;
constexpr std::size_t kChecksumOffset = 0x1FC;
constexpr std::size_t kKeyNodeSize = 0x4C;
constexpr std::size_t kValueNodeSize = 0x14;
// The most data one cell holds in formats 1.4 and later; more goes into "db" segments of this size.
constexpr std::size_t kBigDataSegment = 16344;
// Entries per "lh" leaf; keys with more get an "ri" index of leaves, as Windows splits them.
constexpr std::size_t kLeafEntries = 500;
constexpr std::uint32_t kNoCell = 0xFFFFFFFF;
constexpr std::uint32_t kDataInline = 0x80000000;
constexpr std::uint16_t kKeyHiveEntry = 0x0004;
constexpr std::uint16_t kKeyNoDelete = 0x0008;
constexpr std::uint16_t kKeyCompressedName = 0x0020;
constexpr std::uint16_t kValueCompressedName = 0x0001;

// A key or value name as the file holds it.
struct StoredName {
  std::vector<std::uint8_t> bytes;
  bool compressed = true;
  std::uint32_t unicodeBytes = 0;  // its length in UTF-16, which the parent's maxima count
};

StoredName StoreName(std::string_view ansi) {
  const std::u16string units = AnsiToUtf16(ansi);
  StoredName name;
  name.compressed = std::all_of(units.begin(), units.end(), [](char16_t u) { return u < 0x100; });
  name.unicodeBytes = static_cast<std::uint32_t>(units.size() * 2);
  if (name.compressed) {
    for (const char16_t unit : units) name.bytes.push_back(static_cast<std::uint8_t>(unit));
  } else {
    name.bytes = TextBytesToUtf16(std::vector<std::uint8_t>(ansi.begin(), ansi.end()));
  }
  return name;
}

// The upper-cased UTF-16 name by which Windows orders and hashes subkeys.
std::u16string UpcasedName(std::string_view ansi) {
  return AnsiToUtf16(UpperCase(ansi));
}

std::uint32_t NameHash(const std::u16string& upcased) {
  std::uint32_t hash = 0;
  for (const char16_t unit : upcased) hash = hash * 37 + unit;
  return hash;
}

// A self-relative security descriptor for every key: SYSTEM and Administrators full control, the
// creator owner full control of subkeys, Users read; owner Administrators, group SYSTEM.
std::vector<std::uint8_t> SecurityDescriptor() {
  const auto sid = [](std::uint8_t authority, std::vector<std::uint32_t> subs) {
    std::vector<std::uint8_t> out = {1, static_cast<std::uint8_t>(subs.size()), 0, 0, 0, 0, 0, authority};
    for (const std::uint32_t s : subs) {
      for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(s >> (8 * i)));
    }
    return out;
  };
  const auto system = sid(5, {18});
  const auto admins = sid(5, {32, 544});
  const auto users = sid(5, {32, 545});
  const auto creatorOwner = sid(3, {0});
  constexpr std::uint8_t kContainerInherit = 0x02;
  constexpr std::uint8_t kInheritOnly = 0x08;
  struct Ace {
    std::uint8_t flags;
    std::uint32_t mask;
    const std::vector<std::uint8_t>& sid;
  };
  const Ace aces[] = {{kContainerInherit, regaccess::AllAccess, system},
                      {kContainerInherit, regaccess::AllAccess, admins},
                      {kContainerInherit | kInheritOnly, access::GenericAll, creatorOwner},
                      {kContainerInherit, regaccess::Read, users}};
  std::vector<std::uint8_t> acl = {2, 0, 0, 0, static_cast<std::uint8_t>(std::size(aces)), 0, 0, 0};
  for (const Ace& ace : aces) {
    const auto size = static_cast<std::uint16_t>(8 + ace.sid.size());
    acl.insert(acl.end(), {0, ace.flags, static_cast<std::uint8_t>(size & 0xFF), static_cast<std::uint8_t>(size >> 8)});
    for (int i = 0; i < 4; ++i) acl.push_back(static_cast<std::uint8_t>(ace.mask >> (8 * i)));
    acl.insert(acl.end(), ace.sid.begin(), ace.sid.end());
  }
  acl[2] = static_cast<std::uint8_t>(acl.size() & 0xFF);
  acl[3] = static_cast<std::uint8_t>(acl.size() >> 8);

  constexpr std::uint32_t kHeader = 20;
  const auto daclAt = kHeader;
  const auto ownerAt = static_cast<std::uint32_t>(daclAt + acl.size());
  const auto groupAt = static_cast<std::uint32_t>(ownerAt + admins.size());
  std::vector<std::uint8_t> sd = {1, 0, 0x04, 0x80};  // revision 1; SE_DACL_PRESENT | SE_SELF_RELATIVE
  for (const std::uint32_t at : {ownerAt, groupAt, 0u, daclAt}) {
    for (int i = 0; i < 4; ++i) sd.push_back(static_cast<std::uint8_t>(at >> (8 * i)));
  }
  sd.insert(sd.end(), acl.begin(), acl.end());
  sd.insert(sd.end(), admins.begin(), admins.end());
  sd.insert(sd.end(), system.begin(), system.end());
  return sd;
}

// Lays out cells in hive bins. A cell offset counts from the first bin, as the file's references do.
class HiveWriter {
public:
  explicit HiveWriter(std::uint64_t fileTime) : time_(fileTime) {}

  std::uint32_t Allocate(std::size_t dataSize) {
    const std::size_t cellSize = (dataSize + 4 + 7) & ~std::size_t{7};
    if (next_ + cellSize > binEnd_) NewBin(cellSize);
    const auto cell = static_cast<std::uint32_t>(next_);
    Put32(cell, -4, static_cast<std::uint32_t>(-static_cast<std::int32_t>(cellSize)));
    next_ += cellSize;
    return cell;
  }
  // Writes into a cell's data; `at` counts from its data (-4 is its size field).
  void Put16(std::uint32_t cell, std::ptrdiff_t at, std::uint16_t v) { PutLe(cell, at, v, 2); }
  void Put32(std::uint32_t cell, std::ptrdiff_t at, std::uint32_t v) { PutLe(cell, at, v, 4); }
  void Put64(std::uint32_t cell, std::ptrdiff_t at, std::uint64_t v) { PutLe(cell, at, v, 8); }
  void PutBytes(std::uint32_t cell, std::ptrdiff_t at, const std::uint8_t* data, std::size_t size) {
    std::copy_n(data, size, bins_.begin() + static_cast<std::ptrdiff_t>(cell + 4) + at);
  }
  void PutSignature(std::uint32_t cell, const char (&sig)[3]) {
    PutBytes(cell, 0, reinterpret_cast<const std::uint8_t*>(sig), 2);
  }
  std::uint64_t time() const { return time_; }

  std::vector<std::uint8_t> Finish(std::uint32_t rootCell) {
    CloseBin();
    std::vector<std::uint8_t> file(kBaseBlockSize, 0);
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
      for (int i = 0; i < 4; ++i) file[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    std::copy_n("regf", 4, file.begin());
    put32(0x04, 1);  // sequence numbers equal: the hive was written completely
    put32(0x08, 1);
    put32(0x0C, static_cast<std::uint32_t>(time_));
    put32(0x10, static_cast<std::uint32_t>(time_ >> 32));
    put32(0x14, 1);  // version 1.5
    put32(0x18, 5);
    put32(0x1C, 0);  // primary file
    put32(0x20, 1);  // direct memory load
    put32(0x24, rootCell);
    put32(0x28, static_cast<std::uint32_t>(bins_.size()));
    put32(0x2C, 1);  // clustering factor
    std::uint32_t sum = 0;
    for (std::size_t at = 0; at < kChecksumOffset; at += 4) {
      sum ^= static_cast<std::uint32_t>(file[at] | file[at + 1] << 8 | file[at + 2] << 16 | file[at + 3] << 24);
    }
    if (sum == 0) sum = 1;
    if (sum == 0xFFFFFFFF) sum = 0xFFFFFFFE;
    put32(kChecksumOffset, sum);
    file.insert(file.end(), bins_.begin(), bins_.end());
    return file;
  }

private:
  void PutLe(std::uint32_t cell, std::ptrdiff_t at, std::uint64_t v, int size) {
    const std::size_t pos = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(cell + 4) + at);
    for (int i = 0; i < size; ++i) bins_[pos + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
  }
  void NewBin(std::size_t cellSize) {
    CloseBin();
    const std::size_t binStart = bins_.size();
    const std::size_t binSize = (cellSize + kBinHeaderSize + kBinUnit - 1) / kBinUnit * kBinUnit;
    bins_.resize(binStart + binSize, 0);
    std::copy_n("hbin", 4, bins_.begin() + static_cast<std::ptrdiff_t>(binStart));
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
      for (int i = 0; i < 4; ++i) bins_[binStart + at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put32(0x04, static_cast<std::uint32_t>(binStart));
    put32(0x08, static_cast<std::uint32_t>(binSize));
    put32(0x14, static_cast<std::uint32_t>(time_));
    put32(0x18, static_cast<std::uint32_t>(time_ >> 32));
    next_ = binStart + kBinHeaderSize;
    binEnd_ = binStart + binSize;
  }
  // The rest of the bin becomes one free cell (a positive size).
  void CloseBin() {
    if (next_ >= binEnd_) return;
    const auto size = static_cast<std::uint32_t>(binEnd_ - next_);
    for (int i = 0; i < 4; ++i) bins_[next_ + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(size >> (8 * i));
    next_ = binEnd_;
  }

  std::uint64_t time_;
  std::vector<std::uint8_t> bins_;
  std::size_t next_ = 0;
  std::size_t binEnd_ = 0;
};

class KeyWriter {
public:
  explicit KeyWriter(HiveWriter& out) : out_(out) {
    const std::vector<std::uint8_t> sd = SecurityDescriptor();
    security_ = out_.Allocate(0x14 + sd.size());
    out_.PutSignature(security_, "sk");
    out_.Put32(security_, 0x04, security_);  // the list of descriptors holds only this one
    out_.Put32(security_, 0x08, security_);
    out_.Put32(security_, 0x10, static_cast<std::uint32_t>(sd.size()));
    out_.PutBytes(security_, 0x14, sd.data(), sd.size());
  }

  std::uint32_t Key(const RegNode& node, std::uint32_t parent, bool root) {
    const StoredName name = StoreName(node.name);
    const std::uint32_t nk = out_.Allocate(kKeyNodeSize + name.bytes.size());
    ++keys_;

    struct Child {
      std::u16string order;
      const RegNode* node;
    };
    std::vector<Child> children;
    for (const auto& sub : node.subkeys) children.push_back({UpcasedName(sub->name), sub.get()});
    std::sort(children.begin(), children.end(), [](const Child& a, const Child& b) { return a.order < b.order; });
    std::vector<std::pair<std::uint32_t, std::uint32_t>> entries;  // cell, hash
    std::uint32_t maxNameBytes = 0;
    for (const Child& child : children) {
      entries.emplace_back(Key(*child.node, nk, false), NameHash(child.order));
      maxNameBytes = std::max(maxNameBytes, StoreName(child.node->name).unicodeBytes);
    }

    std::uint32_t maxValueName = 0;
    std::uint32_t maxValueData = 0;
    std::vector<std::uint32_t> values;
    for (const RegValue& value : node.values) {
      values.push_back(Value(value, maxValueName, maxValueData));
    }

    out_.PutSignature(nk, "nk");
    std::uint16_t flags = name.compressed ? kKeyCompressedName : 0;
    if (root) flags |= kKeyHiveEntry | kKeyNoDelete;
    out_.Put16(nk, 0x02, flags);
    out_.Put64(nk, 0x04, out_.time());
    out_.Put32(nk, 0x10, root ? 0 : parent);
    out_.Put32(nk, 0x14, static_cast<std::uint32_t>(entries.size()));
    out_.Put32(nk, 0x1C, entries.empty() ? kNoCell : SubkeyList(entries));
    out_.Put32(nk, 0x20, kNoCell);  // no volatile subkeys
    out_.Put32(nk, 0x24, static_cast<std::uint32_t>(values.size()));
    out_.Put32(nk, 0x28, values.empty() ? kNoCell : List(values));
    out_.Put32(nk, 0x2C, security_);
    out_.Put32(nk, 0x30, kNoCell);  // no class name
    out_.Put32(nk, 0x34, maxNameBytes);
    out_.Put32(nk, 0x3C, maxValueName);
    out_.Put32(nk, 0x40, maxValueData);
    out_.Put16(nk, 0x48, static_cast<std::uint16_t>(name.bytes.size()));
    out_.PutBytes(nk, kKeyNodeSize, name.bytes.data(), name.bytes.size());
    return nk;
  }

  void Finish() { out_.Put32(security_, 0x0C, keys_); }

private:
  std::uint32_t List(const std::vector<std::uint32_t>& cells) {
    const std::uint32_t list = out_.Allocate(cells.size() * 4);
    for (std::size_t i = 0; i < cells.size(); ++i) out_.Put32(list, static_cast<std::ptrdiff_t>(i * 4), cells[i]);
    return list;
  }

  std::uint32_t SubkeyList(const std::vector<std::pair<std::uint32_t, std::uint32_t>>& entries) {
    std::vector<std::uint32_t> leaves;
    for (std::size_t first = 0; first < entries.size(); first += kLeafEntries) {
      const std::size_t count = std::min(kLeafEntries, entries.size() - first);
      const std::uint32_t leaf = out_.Allocate(4 + count * 8);
      out_.PutSignature(leaf, "lh");
      out_.Put16(leaf, 2, static_cast<std::uint16_t>(count));
      for (std::size_t i = 0; i < count; ++i) {
        out_.Put32(leaf, static_cast<std::ptrdiff_t>(4 + i * 8), entries[first + i].first);
        out_.Put32(leaf, static_cast<std::ptrdiff_t>(8 + i * 8), entries[first + i].second);
      }
      leaves.push_back(leaf);
    }
    if (leaves.size() == 1) return leaves.front();
    const std::uint32_t index = out_.Allocate(4 + leaves.size() * 4);
    out_.PutSignature(index, "ri");
    out_.Put16(index, 2, static_cast<std::uint16_t>(leaves.size()));
    for (std::size_t i = 0; i < leaves.size(); ++i) out_.Put32(index, static_cast<std::ptrdiff_t>(4 + i * 4), leaves[i]);
    return index;
  }

  std::uint32_t Value(const RegValue& value, std::uint32_t& maxName, std::uint32_t& maxData) {
    const StoredName name = StoreName(value.name);
    const std::vector<std::uint8_t> data = IsTextType(value.type) ? TextBytesToUtf16(value.data) : value.data;
    maxName = std::max(maxName, name.unicodeBytes);
    maxData = std::max(maxData, static_cast<std::uint32_t>(data.size()));

    const std::uint32_t vk = out_.Allocate(kValueNodeSize + name.bytes.size());
    out_.PutSignature(vk, "vk");
    out_.Put16(vk, 0x02, static_cast<std::uint16_t>(name.bytes.size()));
    if (data.size() <= 4) {
      out_.Put32(vk, 0x04, static_cast<std::uint32_t>(data.size()) | kDataInline);
      out_.PutBytes(vk, 0x08, data.data(), data.size());
    } else {
      out_.Put32(vk, 0x04, static_cast<std::uint32_t>(data.size()));
      out_.Put32(vk, 0x08, Data(data));
    }
    out_.Put32(vk, 0x0C, value.type);
    out_.Put16(vk, 0x10, name.compressed ? kValueCompressedName : 0);
    out_.PutBytes(vk, kValueNodeSize, name.bytes.data(), name.bytes.size());
    return vk;
  }

  std::uint32_t Data(const std::vector<std::uint8_t>& data) {
    // A segment's cell has 4 bytes to spare, as a full one has after rounding; readers count on that.
    const auto cell = [&](std::size_t first, std::size_t size, std::size_t spare) {
      const std::uint32_t c = out_.Allocate(size + spare);
      out_.PutBytes(c, 0, data.data() + first, size);
      return c;
    };
    if (data.size() <= kBigDataSegment) return cell(0, data.size(), 0);
    std::vector<std::uint32_t> segments;
    for (std::size_t first = 0; first < data.size(); first += kBigDataSegment) {
      segments.push_back(cell(first, std::min(kBigDataSegment, data.size() - first), 4));
    }
    const std::uint32_t list = List(segments);
    const std::uint32_t db = out_.Allocate(8);
    out_.PutSignature(db, "db");
    out_.Put16(db, 2, static_cast<std::uint16_t>(segments.size()));
    out_.Put32(db, 4, list);
    return db;
  }

  HiveWriter& out_;
  std::uint32_t security_ = 0;
  std::uint32_t keys_ = 0;
};

}  // namespace

std::vector<std::uint8_t> WriteHive(const RegNode& key, std::uint64_t fileTime) {
  HiveWriter out(fileTime);
  KeyWriter keys(out);
  const std::uint32_t root = keys.Key(key, 0, true);
  keys.Finish();
  return out.Finish(root);
}

}  // namespace platform::sim

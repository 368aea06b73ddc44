#include "cli/Commands.h"
#include "cli/DataText.h"
#include "cli/Output.h"
#include "cli/Terminal.h"
#include "core/CatalogPath.h"
#include "core/CatalogWalker.h"
#include "core/ExactNames.h"
#include "core/PathUtil.h"
#include "core/StoredName.h"
#include "platform/Console.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <set>
#include <vector>

namespace cataloom::cli {
namespace {

enum class Grouping { kNameAndSize, kSize };

struct DupsOptions {
    const char* folder = nullptr;
    std::uint64_t minSize = 1;
    Grouping by = Grouping::kNameAndSize;
    bool json = false;
};

// A file's name as dups compares it: its exact name where the catalogue
// keeps one apart (UTF-8), else its stored name (code page 932).  An exact
// name never equals a stored one, so the two never meet in a group.
struct FileName {
    std::string_view text;
    bool stored;
};

FileName NameOf(const CatalogWalker& walk, const std::uint8_t* e) {
    std::string_view exact = walk.ExactRecordName();
    return exact.empty() ? FileName{EntryRecord::Name(e), true} : FileName{exact, false};
}

// Names are equal as the file system compares them, letter case aside:
// hands `emit` each byte of the name with the letters a to z upper-cased and
// both bytes of a stored double-byte character as they are (its second byte
// may look like a letter).  Every byte of every file passes here, so ASCII
// stays off the platform calls.
template <typename Emit>
void ForEachFoldedByte(FileName name, Emit emit) {
    const auto* p = reinterpret_cast<const unsigned char*>(name.text.data());
    const auto* end = p + name.text.size();
    for (; p < end; ++p) {
        unsigned char c = *p;
        if (c < 0x80) {
            emit(static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c));
        } else if (name.stored && platform::IsLeadByte(c) && p + 1 < end) {
            emit(c);
            emit(*++p);
        } else {
            emit(c);
        }
    }
}

std::string FoldedName(FileName name) {
    std::string folded;
    ForEachFoldedByte(name, [&](unsigned char c) { folded += static_cast<char>(c); });
    return folded;
}

// A 64-bit key per file, hashed over the folded name as it is read (no
// copy: the first pass runs it for every file): equal files get equal keys;
// unequal ones may collide, which the exact grouping at the end sorts out.
std::uint64_t KeyOf(Grouping by, FileName name, std::uint64_t size) {
    if (by == Grouping::kSize) return size;
    std::uint64_t h = 0xcbf29ce484222325ULL;
    ForEachFoldedByte(name, [&](unsigned char c) { h = (h ^ c) * 0x100000001b3ULL; });
    h ^= size + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    h ^= h >> 31;
    h *= 0xbf58476d1ce4e5b9ULL;
    return h ^ (h >> 29);
}

// What both passes skip: directories, sizes below the minimum, unknown sizes.
bool Counts(const DupsOptions& options, const std::uint8_t* e) {
    std::uint64_t size = EntryRecord::FileSize(e);
    return !EntryRecord::IsDirectory(e) && size >= options.minSize && size != kUnknownTotal;
}

using KeyRange = std::pair<std::size_t, std::size_t>;  // [first, end) in the walk's keys

// The keys of ten million files, appended in fixed-size blocks: a growing
// vector would copy them all again at every doubling.
class KeyLog {
public:
    void Append(std::uint64_t key) {
        if (size_ == blocks_.size() * kBlock) blocks_.emplace_back().reserve(kBlock);
        blocks_.back().push_back(key);
        ++size_;
    }
    std::size_t Size() const { return size_; }
    std::uint64_t operator[](std::size_t i) const { return blocks_[i / kBlock][i % kBlock]; }
    std::vector<std::uint64_t> Copy() const {
        std::vector<std::uint64_t> all;
        all.reserve(size_);
        for (const auto& block : blocks_) all.insert(all.end(), block.begin(), block.end());
        return all;
    }

private:
    static constexpr std::size_t kBlock = std::size_t{1} << 20;
    std::vector<std::vector<std::uint64_t>> blocks_;
    std::size_t size_ = 0;
};

// First pass: the key of every file, and the catalogues found damaged (the
// second pass skips them, so they count nowhere).
class KeyPass : public WalkVisitor {
public:
    explicit KeyPass(const DupsOptions& options) : options_(options) {}

    bool Stopped() override { return platform::console::Interrupted(); }
    bool Catalog(const char* path, const char*, const CatalogHeader&) override {
        catalogDamaged_ = false;
        current_ = &ranges[path];
        *current_ = {keys.Size(), keys.Size()};
        return true;
    }
    void Entry(const char*, const char*, std::size_t, const std::uint8_t* e) override {
        if (current_ == nullptr || catalogDamaged_ || !Counts(options_, e)) return;
        keys.Append(KeyOf(options_.by, NameOf(*Walker(), e), EntryRecord::FileSize(e)));
        current_->second = keys.Size();
    }
    void Unreachable(const char* path, const std::uint8_t*) override { Damaged(path); }
    void Damaged(const char* path) override {
        // Its keys stay (the second pass skips it): a key that repeats only
        // because of them brings no group of two.
        catalogDamaged_ = true;
        if (damaged.insert(path).second) Error("warning: damaged catalogue skipped: " + ShowPath(path));
    }

    // Every file's key in walk order, and where each catalogue's keys are.
    KeyLog keys;
    std::map<std::string, KeyRange> ranges;
    std::set<std::string> damaged;

private:
    const DupsOptions& options_;
    KeyRange* current_ = nullptr;
    bool catalogDamaged_ = false;
};

struct Member {
    std::uint64_t key;
    std::uint64_t size;
    std::uint32_t catalog;
    std::uint32_t nameOffset;  // where the name starts in `path`
    std::string folded;        // empty when grouping by size
    std::string path;          // below the catalogue root, names as shown (UTF-8) joined by "/"
};

struct CatalogName {
    std::string file;  // relative to the data folder
    std::string name;  // as shown (UTF-8)
};

// Sorts keys by their bytes, least significant first: several times faster
// than a comparison sort for the ten million keys of a large data folder.
void RadixSort(std::vector<std::uint64_t>& keys) {
    constexpr int kDigitBits = 11;
    constexpr std::size_t kBuckets = std::size_t{1} << kDigitBits;
    std::vector<std::uint64_t> buffer(keys.size());
    for (int shift = 0; shift < 64; shift += kDigitBits) {
        std::vector<std::size_t> start(kBuckets + 1, 0);
        for (std::uint64_t k : keys) ++start[((k >> shift) & (kBuckets - 1)) + 1];
        for (std::size_t b = 0; b < kBuckets; ++b) start[b + 1] += start[b];
        for (std::uint64_t k : keys) buffer[start[(k >> shift) & (kBuckets - 1)]++] = k;
        keys.swap(buffer);
    }
}

// The keys that occur more than once: a bitmap of their low bits turns most
// files away with one access to memory that stays in the cache, and a hash
// table answers the rest.
class RepeatedKeys {
public:
    explicit RepeatedKeys(std::vector<std::uint64_t> keys) : bits_(kBits / 64, 0) {
        RadixSort(keys);
        std::vector<std::uint64_t> repeated;
        for (std::size_t i = 1; i < keys.size(); ++i) {
            if (keys[i] != keys[i - 1]) continue;
            ++files_;
            if (repeated.empty() || repeated.back() != keys[i]) {
                repeated.push_back(keys[i]);
                ++files_;  // the first of the run
            }
        }
        keys = {};
        std::size_t capacity = 16;
        while (capacity < repeated.size() * 2) capacity *= 2;
        slots_.assign(capacity, 0);
        used_.assign(capacity, false);
        for (std::uint64_t key : repeated) {
            bits_[(key % kBits) / 64] |= 1ULL << (key % 64);
            std::size_t slot = Slot(key);
            while (used_[slot]) slot = (slot + 1) & (slots_.size() - 1);
            slots_[slot] = key;
            used_[slot] = true;
        }
    }

    bool Contains(std::uint64_t key) const {
        if ((bits_[(key % kBits) / 64] & (1ULL << (key % 64))) == 0) return false;
        for (std::size_t slot = Slot(key); used_[slot]; slot = (slot + 1) & (slots_.size() - 1))
            if (slots_[slot] == key) return true;
        return false;
    }

    // Files whose key repeats: how many the second pass will keep.
    std::size_t Files() const { return files_; }

private:
    static constexpr std::uint64_t kBits = 1ULL << 22;  // 512 KB: stays in the cache

    std::size_t Slot(std::uint64_t key) const {
        return static_cast<std::size_t>((key * 0x9e3779b97f4a7c15ULL) >> 20) & (slots_.size() - 1);
    }

    std::vector<std::uint64_t> bits_;
    std::vector<std::uint64_t> slots_;
    std::vector<bool> used_;
    std::size_t files_ = 0;
};

// Second pass: every file whose key occurs more than once.
class MemberPass : public WalkVisitor {
public:
    MemberPass(const DupsOptions& options, const RepeatedKeys& repeated, const KeyPass& first, std::size_t rootLength)
        : options_(options), repeated_(repeated), first_(first), rootLength_(rootLength) {
        members.reserve(repeated.Files());
    }

    bool Stopped() override { return platform::console::Interrupted(); }
    bool Catalog(const char* path, const char*, const CatalogHeader&) override {
        auto range = first_.ranges.find(path);
        // Damaged, or new since the first pass: nothing to compare it with.
        if (first_.damaged.count(path) != 0 || range == first_.ranges.end()) return false;
        next_ = range->second.first;
        end_ = range->second.second;
        std::string file = path + std::min(rootLength_, std::strlen(path));
        while (!file.empty() && file[0] == '\\') file.erase(0, 1);
        catalogs.push_back({file, std::string()});
        named_ = false;
        return true;
    }
    void Entry(const char*, const char*, std::size_t, const std::uint8_t* e) override {
        // The catalogue is open from its first entry on: its exact name.
        if (!named_) catalogs.back().name = Walker()->ShownCatalogName();
        named_ = true;
        if (!Counts(options_, e)) return;
        // The walk gives the files in the first pass's order, so the key is
        // the one computed then; a catalogue rewritten in between yields
        // wrong keys, which the exact grouping at the end turns away.
        if (next_ >= end_) return;
        std::uint64_t key = first_.keys[next_++];
        if (!repeated_.Contains(key)) return;
        std::uint64_t size = EntryRecord::FileSize(e);
        std::string below = Walker()->ShownBelow();
        auto nameOffset =
            static_cast<std::uint32_t>(below.size() - std::min(below.size(), Walker()->ShownEntryName().size()));
        members.push_back({key, size, static_cast<std::uint32_t>(catalogs.size() - 1), nameOffset,
                           options_.by == Grouping::kNameAndSize ? FoldedName(NameOf(*Walker(), e)) : std::string(),
                           std::move(below)});
    }

    std::vector<CatalogName> catalogs;
    std::vector<Member> members;

private:
    const DupsOptions& options_;
    const RepeatedKeys& repeated_;
    const KeyPass& first_;
    std::size_t rootLength_;
    std::size_t next_ = 0, end_ = 0;
    bool named_ = false;
};

struct Group {
    std::size_t first;  // into the members' order
    std::size_t count;
    std::uint64_t size;
    std::uint64_t wasted;  // size * (count - 1), saturated
};

std::uint64_t Wasted(std::uint64_t size, std::size_t count) {
    std::uint64_t copies = count - 1;
    return size != 0 && copies > std::numeric_limits<std::uint64_t>::max() / size
               ? std::numeric_limits<std::uint64_t>::max()
               : size * copies;
}

// The members grouped: `order` lists them (by index) group after group, in
// walk order inside each group; the groups come largest waste first.  The
// members themselves stay where they are: sorting indices moves no strings.
struct Grouped {
    std::vector<std::uint32_t> order;
    std::vector<Group> groups;
};

Grouped GroupMembers(const std::vector<Member>& members) {
    Grouped result;
    result.order.resize(members.size());
    for (std::size_t i = 0; i < members.size(); ++i) result.order[i] = static_cast<std::uint32_t>(i);
    std::sort(result.order.begin(), result.order.end(), [&](std::uint32_t x, std::uint32_t y) {
        const Member& a = members[x];
        const Member& b = members[y];
        if (a.key != b.key) return a.key < b.key;
        if (a.size != b.size) return a.size < b.size;
        int names = a.folded.compare(b.folded);
        return names != 0 ? names < 0 : x < y;
    });
    auto same = [&](std::size_t i, std::size_t j) {
        const Member& a = members[result.order[i]];
        const Member& b = members[result.order[j]];
        return a.size == b.size && a.folded == b.folded;
    };
    const std::vector<std::uint32_t>& order = result.order;
    for (std::size_t i = 0; i < order.size();) {
        std::size_t j = i + 1;
        while (j < order.size() && same(i, j)) ++j;
        if (j - i > 1) result.groups.push_back({i, j - i, members[order[i]].size, Wasted(members[order[i]].size, j - i)});
        i = j;
    }
    std::sort(result.groups.begin(), result.groups.end(), [&](const Group& a, const Group& b) {
        if (a.wasted != b.wasted) return a.wasted > b.wasted;
        if (a.size != b.size) return a.size > b.size;
        const std::string& nameA = members[order[a.first]].folded;
        const std::string& nameB = members[order[b.first]].folded;
        if (nameA != nameB) return nameA < nameB;
        return order[a.first] < order[b.first];
    });
    return result;
}

std::uint64_t Saturated(std::uint64_t a, std::uint64_t b) {
    return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max() : a + b;
}

void PrintText(const Grouped& grouped, const std::vector<Member>& members, const std::vector<CatalogName>& catalogs,
               Grouping by) {
    const std::vector<Group>& groups = grouped.groups;
    std::uint64_t files = 0, wasted = 0;
    for (const Group& g : groups) {
        files += g.count;
        wasted = Saturated(wasted, g.wasted);
        const Member& first = members[grouped.order[g.first]];
        std::string line = std::to_string(g.count) + " files of " + std::to_string(g.size) + " bytes, " +
                           std::to_string(g.wasted) + " bytes wasted";
        if (by == Grouping::kNameAndSize) line += ": " + first.path.substr(first.nameOffset);
        PrintUtf8(line + "\n");
        for (std::size_t i = g.first; i < g.first + g.count; ++i) {
            const Member& m = members[grouped.order[i]];
            const CatalogName& c = catalogs[m.catalog];
            std::string shown = m.path;
            std::replace(shown.begin(), shown.end(), '/', kPathSeparator);
            PrintUtf8("\t" + platform::console::ToUtf8(ShowPath(c.file)) + "\t" + c.name + "\t" + shown + "\n");
        }
    }
    Print(std::to_string(groups.size()) + " groups, " + std::to_string(files) + " files, " + std::to_string(wasted) +
          " bytes wasted\n");
}

bool WriteJson(const Grouped& grouped, const std::vector<Member>& members, const std::vector<CatalogName>& catalogs,
               const DupsOptions& options) {
    const std::vector<Group>& groups = grouped.groups;
    Output output;
    output.Open("");
    std::string text = options.by == Grouping::kSize ? "{\"by\":\"size\"" : "{\"by\":\"name+size\"";
    text += ",\"min_size\":" + std::to_string(options.minSize) + ",\"groups\":[";
    std::uint64_t files = 0, wasted = 0;
    for (std::size_t k = 0; k < groups.size(); ++k) {
        const Group& g = groups[k];
        files += g.count;
        wasted = Saturated(wasted, g.wasted);
        const Member& first = members[grouped.order[g.first]];
        text += k == 0 ? "\n{" : ",\n{";
        if (options.by == Grouping::kNameAndSize) {
            text += "\"name\":";
            AppendJsonString(text, first.path.substr(first.nameOffset));
            text += ',';
        }
        text += "\"size\":" + std::to_string(g.size) + ",\"count\":" + std::to_string(g.count) +
                ",\"wasted\":" + std::to_string(g.wasted) + ",\"members\":[";
        for (std::size_t i = g.first; i < g.first + g.count; ++i) {
            const Member& m = members[grouped.order[i]];
            const CatalogName& c = catalogs[m.catalog];
            text += i == g.first ? "{\"catalogue\":" : ",{\"catalogue\":";
            AppendJsonString(text, c.name);
            text += ",\"catalogue_file\":";
            AppendJsonString(text, DataPath(c.file.c_str()));
            text += ",\"path\":";
            AppendJsonString(text, m.path);
            text += '}';
        }
        text += "]}";
        output.Write(text);
        text.clear();
    }
    text += groups.empty() ? "]" : "\n]";
    text += ",\"summary\":{\"groups\":" + std::to_string(groups.size()) + ",\"files\":" + std::to_string(files) +
            ",\"wasted\":" + std::to_string(wasted) + "}}\n";
    output.Write(text);
    return output.Finish();
}

bool ParseSize(const char* text, std::uint64_t& value) {
    if (*text == '\0') return false;
    value = 0;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p < '0' || *p > '9' || value > (std::numeric_limits<std::uint64_t>::max() - 9) / 10) return false;
        value = value * 10 + static_cast<std::uint64_t>(*p - '0');
    }
    return true;
}

bool ParseOptions(const Arguments& args, DupsOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const char* a = args[i];
        bool hasValue = i + 1 < args.size();
        if (std::strcmp(a, "--json") == 0) {
            options.json = true;
        } else if (std::strcmp(a, "--min-size") == 0 && hasValue) {
            if (!ParseSize(args[++i], options.minSize)) return false;
        } else if (std::strcmp(a, "--by") == 0 && hasValue) {
            const char* by = args[++i];
            if (std::strcmp(by, "name+size") == 0) options.by = Grouping::kNameAndSize;
            else if (std::strcmp(by, "size") == 0) options.by = Grouping::kSize;
            else return false;
        } else if (a[0] != '-' && options.folder == nullptr) {
            options.folder = a;
        } else {
            return false;
        }
    }
    return options.folder != nullptr;
}

}  // namespace

int DupsCommand(const Arguments& args) {
    DupsOptions options;
    if (!ParseOptions(args, options)) {
        Error("usage: cataloom dups DATAFOLDER [--min-size N] [--by name+size|size] [--json]");
        return kExitUsage;
    }
    std::string root = platform::console::ArgumentPath(options.folder);
    while (root.size() > 1 && path::EndsWithBackslash(root.c_str())) root.pop_back();
    if (root.size() >= kMaxPath || !path::IsDirectory(root.c_str())) {
        Error("no such data folder: " + ShowPath(root));
        return kExitFailure;
    }
    platform::console::CatchInterrupt();
    CatalogReader reader;
    // Two walks in the same order: keys first, so that only the files that
    // have a twin are kept with their paths.
    KeyPass keys(options);
    CatalogWalker(reader, keys, CatalogWalker::kExportCapacity, CatalogWalker::FolderOrder::kByName).Walk(root.c_str(), "");
    RepeatedKeys repeated(keys.keys.Copy());
    MemberPass members(options, repeated, keys, root.size());
    CatalogWalker(reader, members, CatalogWalker::kExportCapacity, CatalogWalker::FolderOrder::kByName)
        .Walk(root.c_str(), "");
    if (platform::console::Interrupted()) {
        Error("search for duplicates stopped");
        return kExitFailure;
    }
    Grouped grouped = GroupMembers(members.members);
    if (options.json) {
        if (!WriteJson(grouped, members.members, members.catalogs, options)) return kExitFailure;
    } else {
        PrintText(grouped, members.members, members.catalogs, options.by);
    }
    return keys.damaged.empty() ? kExitOk : kExitFailure;
}

}  // namespace cataloom::cli

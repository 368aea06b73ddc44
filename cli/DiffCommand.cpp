#include "cli/Commands.h"
#include "cli/DataText.h"
#include "cli/Output.h"
#include "cli/Terminal.h"
#include "core/CatalogPath.h"
#include "core/CatalogWalker.h"
#include "core/ExactNames.h"
#include "core/DisplayText.h"
#include "core/StoredName.h"
#include "platform/Console.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace cataloom::cli {
namespace {

constexpr int kExitSame = 0;
constexpr int kExitDifferent = 1;
constexpr int kExitTrouble = 2;  // as diff(1) says it

enum class Change { kAdded, kRemoved, kChanged, kTotal };

// Receives the differences in the order they are found: depth first, the
// names of one directory in byte order.
class ChangeSink {
public:
    virtual ~ChangeSink() = default;
    // `below` is the entry's path below the root, its names as shown (UTF-8,
    // core/ExactNames.h ShownName) joined by "/"; `before` or `after` is null for an added or removed entry.
    virtual void Report(Change change, const std::string& below, const std::uint8_t* before,
                        const std::uint8_t* after) = 0;
    virtual void End() = 0;

    void Count(Change change) { ++counts_[static_cast<int>(change)]; }
    std::uint64_t Counted(Change change) const { return counts_[static_cast<int>(change)]; }
    bool Any() const { return std::any_of(std::begin(counts_), std::end(counts_), [](std::uint64_t n) { return n != 0; }); }

private:
    std::uint64_t counts_[4] = {};
};

std::string TimeText(platform::FileTime time) {
    std::string text;
    AppendTime(text, time, "?", false);
    return text;
}

std::string SizeText(std::uint64_t size) {
    std::string text;
    AppendSize(text, size, "?");
    return text;
}

// One line per difference, "+", "-" or "~", the path (a directory with a
// trailing separator) and, for a change, what changed; then the counts.
class TextChanges : public ChangeSink {
public:
    void Report(Change change, const std::string& below, const std::uint8_t* before,
                const std::uint8_t* after) override {
        const std::uint8_t* e = after ? after : before;
        std::string line = change == Change::kAdded ? "+ " : change == Change::kRemoved ? "- " : "~ ";
        std::string shown = below;
        std::replace(shown.begin(), shown.end(), '/', kPathSeparator);
        line += shown;
        if (EntryRecord::IsDirectory(e)) line += kPathSeparator;
        if (change == Change::kTotal) {
            line += "\ttotal " + SizeText(EntryRecord::FileSize(before)) + " -> " + SizeText(EntryRecord::FileSize(after));
        } else if (change == Change::kChanged) {
            std::string details;
            if (EntryRecord::FileSize(before) != EntryRecord::FileSize(after))
                details += "size " + SizeText(EntryRecord::FileSize(before)) + " -> " + SizeText(EntryRecord::FileSize(after));
            if (EntryRecord::WriteTime(before) != EntryRecord::WriteTime(after))
                details += (details.empty() ? "modified " : ", modified ") + TimeText(EntryRecord::WriteTime(before)) +
                           " -> " + TimeText(EntryRecord::WriteTime(after));
            line += "\t" + details;
        }
        PrintUtf8(line + "\n");
    }

    void End() override {
        Print(std::to_string(Counted(Change::kAdded)) + " added, " + std::to_string(Counted(Change::kRemoved)) +
              " removed, " + std::to_string(Counted(Change::kChanged)) + " changed, " +
              std::to_string(Counted(Change::kTotal)) + " directory totals changed\n");
    }
};

// {"old":..., "new":..., "changes":[one object per line], "summary":{...}}
class JsonChanges : public ChangeSink {
public:
    JsonChanges(Output& output, const std::string& before, const std::string& after) : output_(output) {
        std::string head = "{\"old\":";
        AppendJsonString(head, DataPath(before.c_str()));
        head += ",\"new\":";
        AppendJsonString(head, DataPath(after.c_str()));
        head += ",\"changes\":[";
        output_.Write(head);
    }

    void Report(Change change, const std::string& below, const std::uint8_t* before,
                const std::uint8_t* after) override {
        static const char* const kNames[] = {"added", "removed", "changed", "total"};
        const std::uint8_t* e = after ? after : before;
        std::string row = first_ ? "\n{\"change\":\"" : ",\n{\"change\":\"";
        first_ = false;
        row += kNames[static_cast<int>(change)];
        row += "\",\"path\":";
        AppendJsonString(row, below);
        row += EntryRecord::IsDirectory(e) ? ",\"type\":\"directory\",\"old\":" : ",\"type\":\"file\",\"old\":";
        AppendState(row, before);
        row += ",\"new\":";
        AppendState(row, after);
        row += "}";
        output_.Write(row);
    }

    void End() override {
        std::string tail = first_ ? "],\"summary\":{" : "\n],\"summary\":{";
        tail += "\"added\":" + std::to_string(Counted(Change::kAdded)) +
                ",\"removed\":" + std::to_string(Counted(Change::kRemoved)) +
                ",\"changed\":" + std::to_string(Counted(Change::kChanged)) +
                ",\"totals_changed\":" + std::to_string(Counted(Change::kTotal)) + "}}\n";
        output_.Write(tail);
    }

private:
    static void AppendState(std::string& row, const std::uint8_t* e) {
        if (e == nullptr) {
            row += "null";
            return;
        }
        row += "{\"size\":";
        AppendSize(row, EntryRecord::FileSize(e), "null");
        row += ",\"modified\":";
        AppendTime(row, EntryRecord::WriteTime(e), "null", true);
        row += "}";
    }

    Output& output_;
    bool first_ = true;
};

// Counts the entries left out of a comparison because their names hold a
// path separator (no path could name them apart), each with a warning.
struct SeparatorSkips {
    void Skip(const std::uint8_t* entry) {
        const char* name = EntryRecord::Name(entry);
        Error("warning: entry not compared, its name " + std::string(NameFaultText(FindNameFault(name))) + ": " +
              VisibleName(name));
        ++count;
    }
    std::size_t count = 0;
};

// Reports every entry below a directory of one side as added or removed.
class SubtreeReport : public WalkVisitor {
public:
    SubtreeReport(ChangeSink& sink, Change change, SeparatorSkips& skips) : sink_(sink), change_(change), skips_(skips) {}
    bool Stopped() override { return platform::console::Interrupted(); }
    void Entry(const char*, const char*, std::size_t, const std::uint8_t* entry) override {
        std::string below = top + "/" + Walker()->ShownBelow();
        sink_.Count(change_);
        if (change_ == Change::kAdded) sink_.Report(change_, below, nullptr, entry);
        else sink_.Report(change_, below, entry, nullptr);
    }
    std::string top;  // the exact path of the directory walked
    void Unreachable(const char*, const std::uint8_t* entry) override {
        if (FitsCatalogPath(EntryRecord::Name(entry))) damaged = true;
        else skips_.Skip(entry);
    }
    bool damaged = false;

private:
    ChangeSink& sink_;
    Change change_;
    SeparatorSkips& skips_;
};

// One side of the comparison: the catalogue's reader, its guarded lists and
// a walker for the sub-trees only this side has.
struct Side {
    Side(CatalogReader& r, platform::File& file, SubtreeReport& report)
        : reader(r), lists(r, file), walker(r, report, CatalogWalker::kExportCapacity), subtree(report) {}
    CatalogReader& reader;
    GuardedLists lists;
    CatalogWalker walker;
    SubtreeReport& subtree;
};

// Compares two catalogues directory by directory.  Entries are matched by
// their exact names, byte for byte (whatever each side stored), so a
// rename, a change of letter case included, is a removal and an addition;
// each side is read through its own guarded lists, so crafted catalogues
// stay bounded.
class CatalogDiff {
public:
    CatalogDiff(Side& before, Side& after, ChangeSink& sink, SeparatorSkips& skips)
        : before_(before), after_(after), sink_(sink), skips_(skips) {}

    // False if a list of either catalogue cannot be read or a path does not fit.
    bool Run() {
        std::vector<char> inner(CatalogWalker::kExportCapacity, '\0');
        std::string below;
        CompareDirectories(0, 0, inner.data(), 0, below);
        return !damaged_ && !before_.lists.Damaged() && !after_.lists.Damaged() && !before_.subtree.damaged &&
               !after_.subtree.damaged;
    }

private:
    // An entry with its exact name (compared) and its name as shown.
    struct Item {
        std::string name;
        std::string shown;
        const std::uint8_t* e;
    };
    using Entries = std::vector<Item>;

    static Entries Sorted(const CatalogReader& reader, std::size_t record, const TaskMemory<std::uint8_t>& list) {
        Entries entries;
        for (const std::uint8_t* e = list.Get(); EntryRecord::Size(e) != 0; e += EntryRecord::Size(e))
            entries.push_back({reader.ExactEntryName(record, list.Get(), e),
                               ShownName(reader.ExactRecordName(record, list.Get(), e), EntryRecord::Name(e)), e});
        std::sort(entries.begin(), entries.end(), [](const Item& a, const Item& b) { return a.name < b.name; });
        return entries;
    }

    static std::string Join(const std::string& below, const std::string& name) {
        return below.empty() ? name : below + "/" + name;
    }

    void CompareDirectories(std::size_t beforeRecord, std::size_t afterRecord, char* inner, std::size_t length,
                            const std::string& below) {
        TaskMemory<std::uint8_t> beforeList = before_.lists.Read(beforeRecord);
        TaskMemory<std::uint8_t> afterList = after_.lists.Read(afterRecord);
        if (beforeList == nullptr || afterList == nullptr) return;
        Entries a = Sorted(before_.reader, beforeRecord, beforeList), b = Sorted(after_.reader, afterRecord, afterList);
        std::size_t i = 0, j = 0;
        while ((i < a.size() || j < b.size()) && !damaged_ && !platform::console::Interrupted()) {
            int order = i == a.size() ? 1 : j == b.size() ? -1 : a[i].name.compare(b[j].name);
            if (order < 0) {
                OneSide(before_, Change::kRemoved, beforeRecord, a[i].e, inner, length, Join(below, a[i].shown));
                ++i;
            } else if (order > 0) {
                OneSide(after_, Change::kAdded, afterRecord, b[j].e, inner, length, Join(below, b[j].shown));
                ++j;
            } else {
                BothSides(beforeRecord, a[i].e, afterRecord, b[j].e, inner, length, Join(below, a[i].shown));
                ++i;
                ++j;
            }
        }
    }

    // Appends the entry's name to `inner`; false (and damaged) if it does not
    // fit, false with a warning if the name would read as other components.
    bool Enter(const std::uint8_t* e, char* inner, std::size_t length, std::size_t& childLength) {
        if (!FitsCatalogPath(EntryRecord::Name(e))) {
            skips_.Skip(e);
            return false;
        }
        int n = AppendCatalogName(inner, static_cast<int>(length), CatalogWalker::kExportCapacity, EntryRecord::Name(e));
        if (n < 0) {
            damaged_ = true;
            return false;
        }
        childLength = static_cast<std::size_t>(n);
        return true;
    }

    // An entry only one side has, with everything below it.
    void OneSide(Side& side, Change change, std::size_t record, const std::uint8_t* e, char* inner, std::size_t length,
                 const std::string& below) {
        std::size_t childLength = 0;
        if (!Enter(e, inner, length, childLength)) return;
        sink_.Count(change);
        if (change == Change::kAdded) sink_.Report(change, below, nullptr, e);
        else sink_.Report(change, below, e, nullptr);
        WalkOneSide(side, record, e, inner, childLength, below);
        inner[length] = '\0';
    }

    void WalkOneSide(Side& side, std::size_t record, const std::uint8_t* e, char* inner, std::size_t length,
                     const std::string& below) {
        long child = EntryRecord::IsDirectory(e) ? side.reader.FindChild(record, EntryRecord::Name(e)) : -1;
        if (child < 0) return;
        side.subtree.top = below;
        side.walker.WalkDirectory(side.lists, "", inner, length, static_cast<std::size_t>(child));
    }

    void BothSides(std::size_t beforeRecord, const std::uint8_t* a, std::size_t afterRecord, const std::uint8_t* b,
                   char* inner, std::size_t length, const std::string& below) {
        bool directory = EntryRecord::IsDirectory(a);
        if (directory != EntryRecord::IsDirectory(b)) {
            // A file became a directory or the other way round.
            OneSide(before_, Change::kRemoved, beforeRecord, a, inner, length, below);
            OneSide(after_, Change::kAdded, afterRecord, b, inner, length, below);
            return;
        }
        std::size_t childLength = 0;
        if (!Enter(a, inner, length, childLength)) return;
        bool sizeChanged = EntryRecord::FileSize(a) != EntryRecord::FileSize(b);
        if (!directory) {
            if (sizeChanged || EntryRecord::WriteTime(a) != EntryRecord::WriteTime(b)) {
                sink_.Count(Change::kChanged);
                sink_.Report(Change::kChanged, below, a, b);
            }
            inner[length] = '\0';
            return;
        }
        // A directory's own times change with every entry added or removed
        // in it; its total tells whether what is below it grew or shrank.
        if (sizeChanged) {
            sink_.Count(Change::kTotal);
            sink_.Report(Change::kTotal, below, a, b);
        }
        // Each side finds the directory by its own stored name.
        long beforeChild = before_.reader.FindChild(beforeRecord, EntryRecord::Name(a));
        long afterChild = after_.reader.FindChild(afterRecord, EntryRecord::Name(b));
        if (beforeChild >= 0 && afterChild >= 0) {
            CompareDirectories(static_cast<std::size_t>(beforeChild), static_cast<std::size_t>(afterChild), inner,
                               childLength, below);
        } else {
            // Only one side recorded what the directory holds.
            WalkOneSide(before_, beforeRecord, a, inner, childLength, below);
            WalkOneSide(after_, afterRecord, b, inner, childLength, below);
        }
        inner[length] = '\0';
    }

    Side& before_;
    Side& after_;
    ChangeSink& sink_;
    SeparatorSkips& skips_;
    bool damaged_ = false;
};

// Opens one catalogue for the comparison: its header, a readable table and
// lists that all read, all of one version, which `file` keeps open.
bool OpenSide(const char* argument, std::string& path, CatalogReader& reader, platform::File& file) {
    bool sound = false;
    if (!OpenCatalogVersion(argument, path, reader, file, sound)) return false;
    if (!sound) {
        Error("damaged catalogue: " + ShowPath(path));
        return false;
    }
    return true;
}

}  // namespace

int DiffCommand(const Arguments& args) {
    std::vector<const char*> operands;
    bool json = false;
    for (const char* a : args) {
        if (std::strcmp(a, "--json") == 0) json = true;
        else operands.push_back(a);
    }
    if (operands.size() != 2 || operands[0][0] == '-' || operands[1][0] == '-') {
        Error("usage: cataloom diff OLD.vmf NEW.vmf [--json]");
        return kExitTrouble;
    }
    platform::console::CatchInterrupt();
    std::string beforePath, afterPath;
    CatalogReader beforeReader, afterReader;
    platform::File beforeFile, afterFile;
    if (!OpenSide(operands[0], beforePath, beforeReader, beforeFile) ||
        !OpenSide(operands[1], afterPath, afterReader, afterFile))
        return kExitTrouble;

    Output output;
    std::unique_ptr<ChangeSink> changes;
    if (json && output.Open("")) changes = std::make_unique<JsonChanges>(output, beforePath, afterPath);
    else changes = std::make_unique<TextChanges>();
    ChangeSink& sink = *changes;
    SeparatorSkips skips;
    SubtreeReport removed(sink, Change::kRemoved, skips), added(sink, Change::kAdded, skips);
    Side before(beforeReader, beforeFile, removed), after(afterReader, afterFile, added);
    CatalogDiff diff(before, after, sink, skips);
    bool sound = diff.Run();
    if (platform::console::Interrupted()) {
        Error("comparison stopped");
        return kExitTrouble;
    }
    if (!sound) {
        Error("a catalogue changed while it was compared");
        return kExitTrouble;
    }
    sink.End();
    if (json && !output.Finish()) return kExitTrouble;
    // Entries left out leave the answer open.
    if (skips.count != 0) return kExitTrouble;
    return sink.Any() ? kExitDifferent : kExitSame;
}

}  // namespace cataloom::cli

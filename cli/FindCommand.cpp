#include "cli/Commands.h"
#include "cli/Terminal.h"
#include "core/CatalogPath.h"
#include "core/CatalogSearch.h"
#include "core/CatalogWalker.h"
#include "core/IndexedSearch.h"
#include "core/NamesIndex.h"
#include "core/DisplayText.h"
#include "core/ExactNames.h"
#include "core/PathUtil.h"
#include "core/StoredName.h"
#include "platform/Console.h"

#include <algorithm>
#include <cstring>

namespace cataloom::cli {
namespace {

// Prints one line per hit: its location below the data folder, its size (for
// a file) and its date, tab-separated.
class HitPrinter : public SearchSink {
public:
    explicit HitPrinter(const std::string& dataRoot) : rootLength_(dataRoot.size()) {}

    void Found(const SearchHit& hit) override {
        std::string location = hit.path + std::min(rootLength_, std::strlen(hit.path));
        while (!location.empty() && location[0] == '\\') location.erase(0, 1);
        std::string line = platform::console::ToUtf8(ShowPath(location));
        std::string size, date;
        if (hit.kind == SearchHit::Kind::kEntry) {
            // Inside the catalogue the names are its exact ones; a hit from
            // the names index comes from a catalogue without them.
            std::string below = hit.walk != nullptr ? hit.walk->ShownBelow() : ShownStoredBelow(hit.inner);
            std::replace(below.begin(), below.end(), '/', kPathSeparator);
            line += kPathSeparator + below;
            if (!EntryRecord::IsDirectory(hit.entry)) size = std::to_string(EntryRecord::FileSize(hit.entry));
            date = FormatListTime(EntryRecord::WriteTime(hit.entry));
        } else if (hit.kind == SearchHit::Kind::kCatalog) {
            date = FormatListTime(hit.header->captureTime);
        }
        PrintUtf8(line + "\t" + size + "\t" + platform::console::ToUtf8(date) + "\n");
    }

    // With the tool's capacity only a name holding a separator comes here.
    void Unreachable(const char* path, const std::uint8_t* entry) override {
        const char* name = EntryRecord::Name(entry);
        Error("warning: entry not listed, its name " + std::string(NameFaultText(FindNameFault(name))) + ": " +
              ShowPath(path) + " " + VisibleName(name));
        ++damaged_;
    }

    void Damaged(const char* path) override {
        Error("warning: damaged catalogue not fully searched: " + ShowPath(path));
        ++damaged_;
    }

    std::size_t DamagedCount() const { return damaged_; }

private:
    std::size_t rootLength_;
    std::size_t damaged_ = 0;
};

}  // namespace

namespace {

// The filter options of find; false (after saying why) for a value they
// cannot take.
bool FilterOption(const char* option, const char* value, SearchFilter& filter, bool& known) {
    struct Option {
        const char* name;
        bool (SearchFilter::*set)(const char*);
    };
    static const Option kOptions[] = {
        {"--type", &SearchFilter::SetType},         {"--ext", &SearchFilter::SetExtensions},
        {"--min-size", &SearchFilter::SetMinSize},  {"--max-size", &SearchFilter::SetMaxSize},
        {"--newer", &SearchFilter::SetNewer},       {"--older", &SearchFilter::SetOlder},
    };
    known = false;
    for (const Option& candidate : kOptions) {
        if (std::strcmp(option, candidate.name) != 0) continue;
        known = true;
        if (value != nullptr && (filter.*candidate.set)(value)) return true;
        Error(std::string("bad value for ") + option + (value != nullptr ? ": " + std::string(value) : ""));
        return false;
    }
    return true;
}

}  // namespace

int FindCommand(const Arguments& args) {
    std::vector<const char*> operands;
    bool matchCase = false;
    bool useIndex = true;
    const char* location = nullptr;
    SearchFilter filter;
    for (std::size_t i = 0; i < args.size(); ++i) {
        bool known = false;
        const char* value = i + 1 < args.size() ? args[i + 1] : nullptr;
        if (!FilterOption(args[i], value, filter, known)) return kExitUsage;
        if (known) ++i;
        else if (std::strcmp(args[i], "--case") == 0) matchCase = true;
        else if (std::strcmp(args[i], "--no-index") == 0) useIndex = false;
        else if (std::strcmp(args[i], "--in") == 0 && i + 1 < args.size() && location == nullptr) location = args[++i];
        else operands.push_back(args[i]);
    }
    if (operands.size() != 2) {
        Error("usage: cataloom find DATAFOLDER PATTERN [--case] [--in LOCATION] [--no-index] [--type f|d]"
              " [--ext EXT[,EXT...]] [--min-size N] [--max-size N] [--newer DATE] [--older DATE]");
        return kExitUsage;
    }
    std::string dataRoot, identity;
    if (!DataFolderArgument(operands[0], dataRoot, identity)) return kExitFailure;
    // Bytes that are not text would match as characters of their own.
    std::string pattern = platform::console::ArgumentUtf8(operands[1]);
    if (!IsValidUtf8(pattern)) {
        Error("the pattern is not text in this locale's encoding");
        return kExitUsage;
    }
    std::string relative = location ? platform::console::ArgumentPath(location) : "";
    char start[kMaxPath];
    char inner[kMaxPath];
    switch (CatalogSearch::ResolveLocation(dataRoot.c_str(), relative.c_str(), start, inner)) {
    case CatalogSearch::Location::kFound: break;
    case CatalogSearch::Location::kMissing:
        Error("no such location in the data folder: " + ShowPath(relative));
        return kExitFailure;
    case CatalogSearch::Location::kDamaged:
        Error("damaged catalogue (the directory table cannot be read) in the location " + ShowPath(relative));
        return kExitFailure;
    }
    NameMatcher matcher = NameMatcher::FromUtf8(pattern, matchCase);
    HitPrinter printer(dataRoot);
    // The tool has no path limit: every hit is listed, however deep.
    const std::size_t capacity = CatalogWalker::kExportCapacity;
    const std::string indexFile = useIndex ? NamesIndex::FileFor(identity) : std::string();
    if (indexFile.empty()) {
        CatalogReader reader;
        CatalogSearch(matcher, reader, printer, nullptr, filter, capacity).Walk(start, inner);
    } else {
        NamesIndex index(dataRoot, indexFile, identity);
        index.Load();
        IndexedSearch search(index, matcher, filter, printer, nullptr, capacity);
        search.Walk(start, inner);
        // The results stand whether or not the index could be written.
        if (!index.Save(std::strcmp(start, dataRoot.c_str()) == 0))
            Error("warning: the names index could not be written: " + ShowPath(indexFile));
    }
    return printer.DamagedCount() == 0 ? kExitOk : kExitFailure;
}

}  // namespace cataloom::cli

#include "cli/Commands.h"
#include "cli/Terminal.h"
#include "core/CatalogPath.h"
#include "core/CatalogSearch.h"
#include "core/CatalogWalker.h"
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
            // Inside the catalogue the names are its exact ones.
            std::string below = hit.walk->ShownBelow();
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

int FindCommand(const Arguments& args) {
    std::vector<const char*> operands;
    bool matchCase = false;
    const char* location = nullptr;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (std::strcmp(args[i], "--case") == 0) matchCase = true;
        else if (std::strcmp(args[i], "--in") == 0 && i + 1 < args.size() && location == nullptr) location = args[++i];
        else operands.push_back(args[i]);
    }
    if (operands.size() != 2) {
        Error("usage: cataloom find DATAFOLDER PATTERN [--case] [--in LOCATION]");
        return kExitUsage;
    }
    std::string dataRoot = platform::console::ArgumentPath(operands[0]);
    while (dataRoot.size() > 1 && path::EndsWithBackslash(dataRoot.c_str())) dataRoot.pop_back();
    if (dataRoot.size() >= kMaxPath || !path::IsDirectory(dataRoot.c_str())) {
        Error("no such data folder: " + ShowPath(dataRoot));
        return kExitFailure;
    }
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
    CatalogReader reader;
    HitPrinter printer(dataRoot);
    // The tool has no path limit: every hit is listed, however deep.
    CatalogSearch search(matcher, reader, printer, nullptr, CatalogWalker::kExportCapacity);
    search.Walk(start, inner);
    return printer.DamagedCount() == 0 ? kExitOk : kExitFailure;
}

}  // namespace cataloom::cli

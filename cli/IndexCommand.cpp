#include "cli/Commands.h"
#include "cli/Terminal.h"
#include "core/CatalogWalker.h"
#include "core/NamesIndex.h"
#include "platform/Console.h"

#include <cstdio>

namespace cataloom::cli {
namespace {

// Brings every catalogue's part of the index up to date, reading only the
// catalogues whose part is missing or stale.
class Refresh : public WalkVisitor {
public:
    explicit Refresh(NamesIndex& index) : index_(index) {}

    bool Stopped() override { return platform::console::Interrupted(); }
    bool Catalog(const char* path, const char*, const CatalogHeader&) override {
        const IndexPart* part = index_.Current(path);
        if (part == nullptr || part->Damaged()) {
            Error("warning: damaged catalogue not fully indexed: " + ShowPath(path));
            ++damaged_;
        }
        return false;
    }
    void Entry(const char*, const char*, std::size_t, const std::uint8_t*) override {}

    std::size_t DamagedCount() const { return damaged_; }

private:
    NamesIndex& index_;
    std::size_t damaged_ = 0;
};

}  // namespace

int IndexCommand(const Arguments& args) {
    if (args.size() != 1) {
        Error("usage: cataloom index DATAFOLDER");
        return kExitUsage;
    }
    std::string dataRoot, identity;
    if (!DataFolderArgument(args[0], dataRoot, identity)) return kExitFailure;
    const std::string file = NamesIndex::FileFor(identity);
    if (file.empty()) {
        Error("no cache folder for the names index");
        return kExitFailure;
    }
    platform::console::CatchInterrupt();
    NamesIndex index(dataRoot, file, identity);
    index.Load();
    Refresh refresh(index);
    CatalogReader reader;
    CatalogWalker(reader, refresh).Walk(dataRoot.c_str(), "");
    const bool whole = !platform::console::Interrupted();
    if (!index.Save(whole)) {
        Error("the names index could not be written: " + ShowPath(file));
        return kExitFailure;
    }
    const NamesIndex::Figures& figures = index.Result();
    char line[256];
    std::snprintf(line, sizeof line, "%zu catalogues (%zu indexed, %zu unchanged, %zu gone), %llu entries\n",
                  figures.catalogs, figures.built, figures.reused, figures.dropped,
                  static_cast<unsigned long long>(figures.entries));
    Print(line);
    std::snprintf(line, sizeof line, "%llu bytes", static_cast<unsigned long long>(figures.bytes));
    std::string size = line;
    if (figures.entries != 0) {
        std::snprintf(line, sizeof line, " (%.1f per entry)",
                      static_cast<double>(figures.bytes) / static_cast<double>(figures.entries));
        size += line;
    }
    Print(size + ": " + ShowPath(file) + "\n");
    return whole && refresh.DamagedCount() == 0 ? kExitOk : kExitFailure;
}

}  // namespace cataloom::cli

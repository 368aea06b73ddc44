#include "cli/Commands.h"
#include "cli/Terminal.h"
#include "core/CatalogWalker.h"
#include "core/PathUtil.h"
#include "core/StoredName.h"
#include "platform/Console.h"

namespace cataloom::cli {
namespace {

// Walks a catalogue as the export and the comparison will, writing nothing.
class SoundnessCheck : public WalkVisitor {
public:
    bool Stopped() override { return platform::console::Interrupted(); }
    void Entry(const char*, const char*, std::size_t, const std::uint8_t*) override {}
    // A name holding a separator is the entry's own damage: its walk leaves
    // it out with a warning; a path beyond the capacity is the catalogue's.
    void Unreachable(const char*, const std::uint8_t* entry) override {
        if (FitsCatalogPath(EntryRecord::Name(entry))) sound = false;
    }
    void Damaged(const char*) override { sound = false; }
    bool sound = true;
};

}  // namespace

bool OpenCatalogArgument(const char* argument, std::string& path, CatalogHeader& header) {
    path = platform::console::ArgumentPath(argument);
    if (path.empty() || path.size() >= kMaxPath || !path::Exists(path.c_str()) || path::IsDirectory(path.c_str())) {
        Error("no such file: " + ShowPath(path));
        return false;
    }
    // Reading refuses anything but a regular file (a FIFO would block).
    if (!ReadCatalogHeader(path.c_str(), &header)) {
        Error("not a catalogue (no regular file with a \"!vmf\" header): " + ShowPath(path));
        return false;
    }
    header.name[sizeof(header.name) - 1] = '\0';
    header.fileSystem[sizeof(header.fileSystem) - 1] = '\0';
    return true;
}

bool IsSoundCatalog(CatalogReader& reader, const char* path, const char* rootName) {
    SoundnessCheck check;
    CatalogWalker(reader, check, CatalogWalker::kExportCapacity).Walk(path, rootName);
    return check.sound && !platform::console::Interrupted();
}

void WarnIgnoredExactNames(const CatalogReader& reader, const std::string& path) {
    if (reader.Exact().State() == ExactNames::Status::kDamaged)
        Error("warning: " + reader.Exact().Problem() + "; the stored names are shown: " + ShowPath(path));
}

}  // namespace cataloom::cli

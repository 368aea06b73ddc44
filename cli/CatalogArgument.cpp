#include "cli/Commands.h"
#include "cli/Terminal.h"
#include "core/CatalogWalker.h"
#include "core/PathUtil.h"
#include "platform/Console.h"

namespace cataloom::cli {
namespace {

// The argument as a path, if it names something other than a folder.
bool ArgumentFile(const char* argument, std::string& path) {
    path = platform::console::ArgumentPath(argument);
    if (path.empty() || path.size() >= kMaxPath || !path::Exists(path.c_str()) || path::IsDirectory(path.c_str())) {
        Error("no such file: " + ShowPath(path));
        return false;
    }
    return true;
}

void NotACatalogue(const std::string& path) {
    Error("not a catalogue (no regular file with a \"!vmf\" header): " + ShowPath(path));
}

// Walks a catalogue as the export and the comparison will, writing nothing.
class SoundnessCheck : public WalkVisitor {
public:
    bool Stopped() override { return platform::console::Interrupted(); }
    void Entry(const char*, const char*, std::size_t, const std::uint8_t*) override {}
};

}  // namespace

bool OpenCatalogArgument(const char* argument, std::string& path, CatalogHeader& header) {
    if (!ArgumentFile(argument, path)) return false;
    // Reading refuses anything but a regular file (a FIFO would block).
    if (!ReadCatalogHeader(path.c_str(), &header)) {
        NotACatalogue(path);
        return false;
    }
    header.name[sizeof(header.name) - 1] = '\0';
    header.fileSystem[sizeof(header.fileSystem) - 1] = '\0';
    return true;
}

bool OpenCatalogVersion(const char* argument, std::string& path, CatalogReader& reader, platform::File& file,
                        bool& sound) {
    if (!ArgumentFile(argument, path)) return false;
    if (reader.Open(path.c_str(), file) == kNotCatalog) {
        NotACatalogue(path);
        return false;
    }
    SoundnessCheck check;
    sound = CatalogWalker(reader, check, CatalogWalker::kExportCapacity).IsSound(file, path.c_str(), "");
    return true;
}

bool DataFolderArgument(const char* argument, std::string& dataRoot, std::string& identity) {
    dataRoot = platform::console::ArgumentPath(argument);
    while (dataRoot.size() > 1 && path::EndsWithBackslash(dataRoot.c_str())) dataRoot.pop_back();
    if (dataRoot.size() >= kMaxPath || !path::IsDirectory(dataRoot.c_str())) {
        Error("no such data folder: " + ShowPath(dataRoot));
        return false;
    }
    // One index per data folder, whatever the current folder.
    if (!platform::console::AbsolutePath(dataRoot, identity)) identity = dataRoot;
    while (identity.size() > 1 && path::EndsWithBackslash(identity.c_str())) identity.pop_back();
    return true;
}

void WarnIgnoredExactNames(const CatalogReader& reader, const std::string& path) {
    if (reader.Exact().State() == ExactNames::Status::kDamaged)
        Error("warning: " + reader.Exact().Problem() + "; the stored names are shown: " + ShowPath(path));
}

}  // namespace cataloom::cli

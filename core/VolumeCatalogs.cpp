#include "core/VolumeCatalogs.h"

#include "core/CatalogFile.h"
#include "core/PathUtil.h"

namespace cataloom {
namespace {

class VolumeCatalogSearch {
public:
    VolumeCatalogSearch(std::uint32_t serial, std::size_t limit, std::vector<std::string>& found)
        : serial_(serial), limit_(limit), found_(found) {}

    void Search(const char* folder) {
        char pattern[kMaxPath];
        if (IsFull() || !path::Combine(pattern, folder, "*")) return;
        std::vector<std::string> folders;
        platform::DirectorySearch listing(pattern);
        platform::FindData entry;
        while (listing.Next(entry)) {
            char full[kMaxPath];
            // A name the code page cannot hold does not reach the entry.
            if (path::IsDotEntry(entry.name) || entry.nameChanged || !path::Combine(full, folder, entry.name))
                continue;
            if ((entry.attributes & platform::kAttrDirectory) != 0) {
                if ((entry.attributes & platform::kAttrReparsePoint) == 0) folders.emplace_back(full);
            } else if (!IsFull() && IsCatalogFileName(entry.name) && IsCatalogOfVolume(full)) {
                found_.emplace_back(full);
            }
        }
        for (const std::string& sub : folders) Search(sub.c_str());
    }

private:
    bool IsFull() const { return found_.size() >= limit_; }

    bool IsCatalogOfVolume(const char* file) const {
        CatalogHeader header;
        return ReadHeader(file, &header) && IsCatalogHeader(&header) && header.serial == serial_;
    }

    std::uint32_t serial_;
    std::size_t limit_;
    std::vector<std::string>& found_;
};

}  // namespace

std::vector<std::string> FindVolumeCatalogs(const char* folder, std::uint32_t serial, std::size_t limit) {
    std::vector<std::string> found;
    if (folder != nullptr && *folder != '\0') VolumeCatalogSearch(serial, limit, found).Search(folder);
    return found;
}

}  // namespace cataloom

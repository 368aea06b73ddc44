// The one walk over a data folder and the catalogues in it: depth first
// through the folders (categories), the catalogues (.vmf files with a valid
// header) and every directory recorded in them, handing each entry to a
// visitor with its full catalogue path.  The search, the export and the
// duplicate finder all walk through it.  Links are never followed, entry
// lists are read only through the reader's checks, and each directory record
// is entered at most once, so a crafted catalogue can neither exhaust memory
// nor keep the walk going for ever.
#pragma once

#include "core/CatalogFile.h"
#include "core/CatalogReader.h"
#include "core/TaskMemory.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cataloom {

class CatalogWalker;

class WalkVisitor {
public:
    virtual ~WalkVisitor() = default;
    // The walker this visitor was given to, while it lives (its exact names
    // of the current entry); null otherwise.
    const CatalogWalker* Walker() const { return walker_; }
    // Asked before each folder entry, each entry of a list and each descent.
    virtual bool Stopped() { return false; }
    // A folder, catalogue or directory is entered (`inner` is "" for a folder).
    virtual void Entering(const char* /*path*/, const char* /*inner*/) {}
    // A sub-folder of a folder walked, before its contents (a link is
    // reported but not walked).
    virtual void Folder(const char* /*path*/, const char* /*name*/) {}
    // A catalogue in a folder walked, before its entries; false leaves them.
    virtual bool Catalog(const char* /*path*/, const char* /*name*/, const CatalogHeader& /*header*/) {
        return true;
    }
    // A catalogue whose table was read, before its entries: `header` is the
    // header of the version whose entries follow.
    virtual void Opened(const char* /*path*/, const CatalogHeader& /*header*/) {}
    // An entry of a directory walked: `inner` is its catalogue path (see
    // core/CatalogPath.h) of `length` bytes; a directory's own entries follow.
    virtual void Entry(const char* path, const char* inner, std::size_t length, const std::uint8_t* entry) = 0;
    // An entry whose name cannot be one component of a catalogue path (a
    // backslash of its own, a cut double-byte character at its end: see
    // FitsCatalogPath) or whose catalogue path does not fit the walk's path
    // capacity: neither reported by Entry nor entered.
    virtual void Unreachable(const char* /*path*/, const std::uint8_t* /*entry*/) {}
    // A catalogue whose table or one of whose lists is damaged, once, after
    // the walk of what could be read of it.
    virtual void Damaged(const char* /*path*/) {}

private:
    friend class CatalogWalker;
    const CatalogWalker* walker_ = nullptr;
};

// Reads the entry lists of the catalogue open in a reader, each directory
// record at most once and no byte of the list area twice: a sound catalogue
// reaches each record once and reads each list once; a crafted one that
// points records at each other or lists at the same bytes runs out of both.
class GuardedLists {
public:
    // Reads through `file`, the handle the reader loaded its table from.
    GuardedLists(const CatalogReader& reader, platform::File& file);

    // The validated entry list of `record`; empty (and Damaged() from then on)
    // when it was read before, does not fit what is left of the list area or
    // fails the reader's checks.
    TaskMemory<std::uint8_t> Read(std::size_t record);
    bool Damaged() const { return damaged_; }

private:
    const CatalogReader& reader_;
    platform::File& file_;
    std::vector<bool> entered_;
    std::uint64_t unread_ = 0;
    bool damaged_ = false;
};

class CatalogWalker {
public:
    // The path capacity of the search, which hands catalogue paths on in
    // Windows path buffers.
    static constexpr std::size_t kSearchCapacity = platform::kMaxPath;
    // Enough for every path of a catalogue a capture can write (a 255-byte
    // name above source paths of at most 259 bytes) with room to spare.
    static constexpr std::size_t kExportCapacity = 32 * 1024;

    enum class FolderOrder { kAsListed, kByName };
    // kCheckedFirst walks each catalogue once without the visitor before
    // handing on any of its entries, so a damaged one gives none (the
    // export writes no half of one).
    enum class Soundness { kAsRead, kCheckedFirst };

    // `reader` is the walk's own: catalogues are opened through it.
    CatalogWalker(CatalogReader& reader, WalkVisitor& visitor, std::size_t capacity = kSearchCapacity,
                  FolderOrder order = FolderOrder::kAsListed, Soundness soundness = Soundness::kAsRead);
    ~CatalogWalker();
    CatalogWalker(const CatalogWalker&) = delete;
    CatalogWalker& operator=(const CatalogWalker&) = delete;

    // A folder `path` is walked with its sub-folders and catalogues;
    // otherwise `path` is a catalogue and the walk starts at the directory
    // `inner` (a catalogue path) inside it.
    void Walk(const char* path, const char* inner);
    // Walks the catalogue at `path` that the reader loaded from `file`
    // (CatalogReader::Open), from the directory `inner`.
    void WalkOpened(platform::File& file, const char* path, const char* inner);
    // True when every list below `inner` of the catalogue the reader loaded
    // from `file` reads and every path fits; the visitor is only asked
    // whether to stop (a stop gives false).
    bool IsSound(platform::File& file, const char* path, const char* inner);

    // Walks the directory `record` of the catalogue open in the reader,
    // reading through `lists`.  `inner` holds its catalogue path of `length`
    // bytes in a buffer of Capacity() bytes and is left as it was.
    void WalkDirectory(GuardedLists& lists, const char* path, char* inner, std::size_t length, std::size_t record);

    std::size_t Capacity() const { return capacity_; }

    // During Entry: the entry's exact name when the catalogue keeps one
    // apart from its stored name (empty otherwise: no conversion is made),
    // its exact name in any case (converted once, when asked for), and its
    // path below the catalogue's root with every name as people see it
    // (ShownName), joined by "/", which no shown name holds.
    std::string_view ExactRecordName() const;
    const std::string& ExactName() const;
    std::string ShownBelow() const;
    // Whether the catalogue open in the walk keeps exact names.
    bool KeepsExactNames() const { return reader_.Exact().Count() != 0; }
    // The name of the catalogue open in the walk as people see it.
    std::string ShownCatalogName() const { return reader_.ShownCatalogName(); }
    // The current entry's name as people see it (ShownName).
    std::string ShownEntryName() const;

private:
    // One directory being walked: its record, its list and the entry at hand.
    struct Level {
        std::size_t record;
        const std::uint8_t* list;
        const std::uint8_t* entry;
        mutable std::string exact;
        mutable bool converted;
    };

    void WalkFolder(const char* path);
    void WalkListedCatalog(const char* path, const char* name);
    // Walks a catalogue once `opened` tells how the reader's Open went.
    void WalkLoaded(HResult opened, platform::File& file, const char* path, const char* inner);
    // The exact names of the directories from the root to `inner`.
    std::vector<std::string> ExactComponents(const char* inner) const;

    CatalogReader& reader_;
    WalkVisitor& visitor_;
    std::size_t capacity_;
    FolderOrder order_;
    std::vector<std::string> startBelow_;  // exact names down to where the catalogue's walk began
    std::vector<Level> levels_;
    Soundness soundness_;
};

}  // namespace cataloom

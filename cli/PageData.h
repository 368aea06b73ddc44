// The contents of an exported web page as compact tables: a tree of nodes
// (the data folder, its categories, catalogues and the directories in them)
// and every entry, grouped by the node that lists it, each column stored
// apart (names joined by NUL, numbers as variable-length integers) so the
// page's compressor finds the repetitions.  Fed by the catalogue walk's
// events; nothing of a name is interpreted, only converted to UTF-8.
#pragma once

#include "core/CatalogFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace cataloom::cli {

// The one place a stored name becomes the page's UTF-8 text (a damaged
// name in its visible form, "\xHH").
std::string PageName(const char* stored);

class PageData {
public:
    enum class Kind : std::uint8_t { kFolder = 0, kCatalog = 1, kDirectory = 2 };

    // A page for the data folder at `rootPath` (code page 932), or, with an
    // empty path, for one catalogue, which then becomes the tree's root.
    PageData(const std::string& rootPath, const std::string& rootName);

    // A category: `path` is its full path, `name` its last component.
    void Folder(const char* path, const char* name);
    // A catalogue about to be walked: `path` is its file (full path), `name`
    // the file's name, `file` how the page shows the file (UTF-8).
    void Catalog(const char* path, const char* name, const std::string& file, const CatalogHeader& header);
    // An entry of the catalogue being walked, as the walk reports it.
    void Entry(std::size_t length, const std::uint8_t* entry);
    // The walk enters the directory last reported by Entry.
    void EnteringDirectory();

    std::size_t EntryCount() const { return entryNode_.size(); }

    // The tables in the page's binary layout (see cli/page/page.js, Reader).
    std::string Encode() const;

private:
    struct Node {
        Kind kind;
        std::uint32_t parent;  // its own index for the root
        std::uint32_t entry;   // a directory's entry (walk order)
        std::string name;      // UTF-8; for a directory, its entry's name
        std::string file;      // a catalogue's file
        std::string fileSystem;
        std::uint32_t directories = 0, files = 0;
        std::uint64_t fileBytes = 0, volumeBytes = 0, freeBytes = 0, captured = 0;
    };
    struct Open {
        std::size_t length;  // of its path (folder path or catalogue path)
        std::uint32_t node;
    };

    std::uint32_t AddNode(Kind kind, std::uint32_t parent, std::string name);
    // The innermost open node whose path is `length` bytes long.
    std::uint32_t Holder(std::vector<Open>& open, std::size_t length);

    std::vector<Node> nodes_;
    std::vector<Open> folders_;
    std::vector<Open> directories_;
    std::uint32_t catalog_ = 0;
    long pending_ = -1;  // the directory last reported
    std::size_t pendingLength_ = 0;
    // The entries in walk order, a column each.
    std::vector<std::uint32_t> entryNode_;
    std::vector<std::uint32_t> nameStart_;
    std::string names_;
    std::vector<std::uint32_t> attributes_;
    std::vector<std::uint64_t> sizes_;
    std::vector<std::uint64_t> times_;
};

}  // namespace cataloom::cli

// Validates a whole catalogue file: the header, every directory record and
// the table's order, every entry list and record, the directory totals and
// the has-sub-directories flags, and the header's counts.  Each finding says
// what is damaged and where.
#pragma once

#include "core/CatalogFile.h"
#include "core/ExactNames.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace cataloom {

class CatalogCheck {
public:
    // Checks the file at `path`; true when nothing is damaged.
    bool Run(const char* path);

    // Damage: each "where: what".
    const std::vector<std::string>& Problems() const { return problems_; }
    // Sound but worth knowing (totals not computed after a stopped capture).
    const std::vector<std::string>& Notes() const { return notes_; }
    // Sound but not as a capture writes it (records out of name order).
    const std::vector<std::string>& Warnings() const { return warnings_; }
    std::size_t DirectoryRecords() const { return records_.size(); }
    std::size_t FileEntries() const { return fileEntries_; }

private:
    struct Record {
        std::size_t offset;  // in the file
        std::uint32_t parentId, id, listOffset, listSize;
        std::uint8_t depth;
        const char* name;
    };

    bool CheckHeader();
    bool CheckTable();
    void CheckLists();
    void CheckEntries(std::size_t index, const std::uint8_t* list);
    void CheckCounts();
    // The exact names after the lists ending at `listsEnd` (an offset in
    // the file): the block's own checks, then whether every key names an
    // item of the catalogue.
    // Returns where the block starts (the file's end without one).
    std::uint64_t CheckExactNames(std::uint64_t listsEnd);
    std::string Where(std::size_t index) const;
    void Problem(const std::string& where, const std::string& what);
    long FindChild(std::size_t parent, const char* name) const;

    std::vector<std::uint8_t> file_;
    CatalogHeader header_{};
    std::vector<Record> records_;
    std::vector<std::size_t> childCount_;
    std::unordered_map<std::string, std::size_t> byParentAndName_;
    std::vector<std::string> problems_;
    std::vector<std::string> notes_;
    std::vector<std::uint32_t> entryStarts_;  // from the list area's start, ascending
    std::vector<std::string> warnings_;
    std::size_t fileEntries_ = 0;
    std::size_t allEntries_ = 0;
    bool listsSound_ = true;
};

}  // namespace cataloom

#include "core/CatalogCheck.h"

#include "core/PathUtil.h"
#include "core/StoredName.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace cataloom {
namespace {

std::string Key(std::uint32_t parentId, const char* name) { return std::to_string(parentId) + '\\' + name; }

std::string Number(std::uint64_t value) { return std::to_string(value); }

}  // namespace

void CatalogCheck::Problem(const std::string& where, const std::string& what) {
    problems_.push_back(where + ": " + what);
}

bool CatalogCheck::Run(const char* path) {
    *this = CatalogCheck();
    platform::File file;
    if (path == nullptr || !file.Open(path, platform::File::kRead, platform::File::kShareRead, true)) {
        Problem("file", "cannot be opened");
        return false;
    }
    // The size comes from the handle the bytes are read through: the file
    // may be replaced by its name at any time.
    platform::FileStamp stamp;
    if (!file.Stamp(stamp) || stamp.size > 0xFFFFFFFFull) {
        Problem("file", "size cannot be read or exceeds 4 GiB");
        return false;
    }
    file_.resize(static_cast<std::size_t>(stamp.size));
    if (!file_.empty() && file.Read(file_.data(), file_.size()) != file_.size()) {
        Problem("file", "cannot be read");
        return false;
    }
    if (CheckHeader() && CheckTable()) {
        CheckLists();
        CheckCounts();
    }
    return problems_.empty();
}

bool CatalogCheck::CheckHeader() {
    if (file_.size() < kHeaderSize) {
        Problem("header", "the file is shorter than the 496-byte header (" + Number(file_.size()) + " bytes)");
        return false;
    }
    std::memcpy(&header_, file_.data(), kHeaderSize);
    if (!IsCatalogHeader(&header_)) {
        Problem("header", "magic is not \"!vmf\"");
        return false;
    }
    bool ok = true;
    if (header_.tableOffset != kHeaderSize) {
        Problem("header", "directory table offset is " + Number(header_.tableOffset) + ", not 496");
        ok = false;
    }
    if (header_.tableSize < kTerminatorSize ||
        static_cast<std::uint64_t>(header_.tableOffset) + header_.tableSize > file_.size()) {
        Problem("header", "directory table size " + Number(header_.tableSize) + " does not fit the file");
        ok = false;
    }
    if (std::memchr(header_.name, 0, sizeof(header_.name)) == nullptr) Problem("header", "name is not terminated");
    else if (NameFault fault = FindNameFault(header_.name); fault != NameFault::kNone)
        Problem("header", std::string("catalogue name ") + NameFaultText(fault));
    if (std::memchr(header_.fileSystem, 0, sizeof(header_.fileSystem)) == nullptr)
        Problem("header", "file system name is not terminated");
    return ok && problems_.empty();
}

bool CatalogCheck::CheckTable() {
    const std::uint8_t* table = file_.data() + kHeaderSize;
    std::size_t size = header_.tableSize;
    std::size_t pos = 0;
    for (;;) {
        std::string where = "directory table at offset " + Number(kHeaderSize + pos);
        if (pos + kTerminatorSize > size) {
            Problem(where, "table ends without its terminator");
            return false;
        }
        const std::uint8_t* r = table + pos;
        std::size_t recordSize = DirectoryRecord::Size(r);
        if (recordSize == 0) {
            if (pos + kTerminatorSize != size) {
                Problem(where, "terminator found " + Number(size - pos - kTerminatorSize) +
                                   " bytes before the end the header gives");
                return false;
            }
            break;
        }
        if (recordSize < kDirectoryFixedSize + 1 || recordSize > size - pos) {
            Problem(where, "record size " + Number(recordSize) + " out of range");
            return false;
        }
        const char* name = DirectoryRecord::Name(r);
        const void* end = std::memchr(name, 0, recordSize - kDirectoryFixedSize);
        if (end == nullptr || static_cast<const char*>(end) - name + 1 + kDirectoryFixedSize != recordSize) {
            Problem(where, "record size does not match its name");
            return false;
        }
        records_.push_back({kHeaderSize + pos, DirectoryRecord::ParentId(r), DirectoryRecord::Id(r),
                            DirectoryRecord::ListOffset(r), DirectoryRecord::ListSize(r), DirectoryRecord::Depth(r),
                            name});
        pos += recordSize;
    }
    if (records_.empty()) {
        Problem("directory table", "holds no root record");
        return false;
    }

    childCount_.assign(records_.size(), 0);
    bool ok = true;
    std::size_t unordered = 0;
    std::string firstUnordered;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        const Record& r = records_[i];
        std::string where = "directory record " + Number(i + 1) + " at offset " + Number(r.offset);
        if (r.id != i + 1) {
            Problem(where, "id " + Number(r.id) + " is not its position " + Number(i + 1));
            ok = false;
            continue;
        }
        if (i == 0) {
            if (r.depth != 1 || r.parentId != 0) Problem(where, "the root must have depth 1 and parent 0");
            if (std::strcmp(r.name, header_.name) != 0) Problem(where, "root name differs from the header's name");
            continue;
        }
        if (r.parentId == 0 || r.parentId >= r.id || records_[r.parentId - 1].depth + 1u != r.depth) {
            Problem(where, "parent id " + Number(r.parentId) + " does not name a directory one level up");
            ok = false;
            continue;
        }
        const Record& before = records_[i - 1];
        if (r.depth < before.depth || (r.depth == before.depth && r.parentId < before.parentId)) {
            Problem(where, "out of (depth, parent) order; lookups would miss it");
            ok = false;
        }
        // Within a parent the capture stores names in the collation's order;
        // another system's collation or a crafted file may not.  Lookups do
        // not rely on it, so it is only worth a warning.
        if (r.depth == before.depth && r.parentId == before.parentId &&
            platform::CompareNoCase(before.name, r.name) > 0 && unordered++ == 0)
            firstUnordered = where;
        ++childCount_[r.parentId - 1];
        if (!byParentAndName_.emplace(Key(r.parentId, r.name), i).second)
            Problem(where, "a second directory named \"" + VisibleName(r.name) + "\" in the same parent");
    }
    if (unordered > 0)
        warnings_.push_back("directory table: " + Number(unordered) +
                            " directory record(s) out of name order within their parent (first: " + firstUnordered +
                            ")");
    return ok;
}

std::string CatalogCheck::Where(std::size_t index) const {
    std::string path;
    for (std::size_t i = index;; i = records_[i].parentId - 1) {
        path = path.empty() ? VisibleName(records_[i].name) : VisibleName(records_[i].name) + "\\" + path;
        if (i == 0 || records_[i].parentId == 0 || records_[i].parentId > records_.size()) break;
    }
    return "entry list of \"" + path + "\"";
}

long CatalogCheck::FindChild(std::size_t parent, const char* name) const {
    auto it = byParentAndName_.find(Key(records_[parent].id, name));
    return it == byParentAndName_.end() ? -1 : static_cast<long>(it->second);
}

void CatalogCheck::CheckLists() {
    std::uint64_t areaStart = kHeaderSize + static_cast<std::uint64_t>(header_.tableSize);
    std::uint64_t expected = 0;
    std::uint64_t furthest = 0;
    for (std::size_t i = 0; i < records_.size(); ++i) {
        const Record& r = records_[i];
        std::uint64_t start = areaStart + r.listOffset;
        if (r.listOffset != expected)
            Problem(Where(i), "starts at " + Number(r.listOffset) + ", not after the previous list at " +
                                  Number(expected));
        if (r.listSize < kTerminatorSize || start + r.listSize > file_.size()) {
            Problem(Where(i), "size " + Number(r.listSize) + " at offset " + Number(start) + " does not fit the file");
            listsSound_ = false;
            expected = r.listOffset + static_cast<std::uint64_t>(r.listSize);
            continue;
        }
        expected = r.listOffset + static_cast<std::uint64_t>(r.listSize);
        furthest = std::max(furthest, expected);
        const std::uint8_t* list = file_.data() + start;
        if (!IsWellFormedEntryList(list, r.listSize)) {
            Problem(Where(i), "records or terminator damaged");
            listsSound_ = false;
            continue;
        }
        CheckEntries(i, list);
    }
    std::uint64_t end = listsSound_ ? CheckExactNames(areaStart + furthest) : file_.size();
    if (listsSound_ && areaStart + expected != end)
        notes_.push_back("file: " + Number(end - (areaStart + expected)) + " bytes after the last list");
}

std::uint64_t CatalogCheck::CheckExactNames(std::uint64_t listsEnd) {
    ExactNames exact;
    if (exact.Parse(file_.data(), file_.size(), listsEnd) == ExactNames::Status::kDamaged) {
        problems_.push_back(exact.Problem());
        return file_.size();
    }
    std::sort(entryStarts_.begin(), entryStarts_.end());
    for (std::size_t i = 0; i < exact.Count(); ++i) {
        ExactName n = exact.At(i);
        if (n.kind == ExactKind::kDirectory && n.key == 1)
            problems_.push_back("exact names: directory id 1 is the root (its name is the catalogue's)");
        else if (n.kind == ExactKind::kDirectory && (n.key == 0 || n.key > records_.size()))
            problems_.push_back("exact names: directory id " + Number(n.key) + " names no directory record");
        else if (n.kind == ExactKind::kEntry &&
                 !std::binary_search(entryStarts_.begin(), entryStarts_.end(), n.key))
            problems_.push_back("exact names: entry key " + Number(n.key) + " is not the start of an entry record");
    }
    if (exact.State() == ExactNames::Status::kSound)
        notes_.push_back("exact names: " + Number(exact.Count()) + " names differ from their stored form");
    return exact.Start();
}

void CatalogCheck::CheckEntries(std::size_t index, const std::uint8_t* list) {
    for (const std::uint8_t* e = list; EntryRecord::Size(e) != 0; e += EntryRecord::Size(e)) {
        ++allEntries_;
        entryStarts_.push_back(records_[index].listOffset + static_cast<std::uint32_t>(e - list));
        const char* name = EntryRecord::Name(e);
        std::string where = Where(index) + ", entry \"" + VisibleName(name) + "\"";
        if (EntryRecord::Size(e) != kEntryFixedSize + std::strlen(name) + 1)
            Problem(where, "record size does not match its name");
        // A name no capture writes: a path, "..", a control character.
        if (NameFault fault = FindNameFault(name); fault != NameFault::kNone) Problem(where, NameFaultText(fault));
        if (!EntryRecord::IsDirectory(e)) {
            ++fileEntries_;
            continue;
        }
        long child = FindChild(index, name);
        if (child < 0) {
            Problem(where, "directory has no directory record");
            continue;
        }
        bool hasFolders = childCount_[static_cast<std::size_t>(child)] > 0;
        if ((EntryRecord::HasFolders(e) != 0) != hasFolders)
            Problem(where, std::string("has-sub-directories flag is ") + (hasFolders ? "0" : "set") +
                               " but the directory has " + (hasFolders ? "some" : "none"));
        std::uint64_t total = EntryRecord::FileSize(e);
        if (total == kUnknownTotal) {
            notes_.push_back(where + ": total size not computed");
            continue;
        }
        const Record& c = records_[static_cast<std::size_t>(child)];
        std::uint64_t start = kHeaderSize + static_cast<std::uint64_t>(header_.tableSize) + c.listOffset;
        if (c.listSize < kTerminatorSize || start + c.listSize > file_.size() ||
            !IsWellFormedEntryList(file_.data() + start, c.listSize))
            continue;  // reported with that list
        std::uint64_t sum = 0;
        for (const std::uint8_t* s = file_.data() + start; EntryRecord::Size(s) != 0; s += EntryRecord::Size(s))
            if (EntryRecord::FileSize(s) != kUnknownTotal) sum += EntryRecord::FileSize(s);
        if (sum != total) Problem(where, "total size " + Number(total) + " but its list adds up to " + Number(sum));
    }
}

void CatalogCheck::CheckCounts() {
    if (header_.directoryCount != records_.size() - 1)
        Problem("header", "directory count " + Number(header_.directoryCount) + " but the table holds " +
                              Number(records_.size() - 1) + " directories below the root");
    if (!listsSound_) return;
    // Older writers counted "all entries minus directories"; both agree
    // unless hidden directories were captured.
    std::uint64_t older = allEntries_ - (records_.size() - 1);
    if (header_.fileCount != fileEntries_ && header_.fileCount != static_cast<std::uint32_t>(older))
        Problem("header", "file count " + Number(header_.fileCount) + " but the lists hold " +
                              Number(fileEntries_) + " files");
}

}  // namespace cataloom

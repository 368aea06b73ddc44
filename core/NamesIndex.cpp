#include "core/NamesIndex.h"

#include "core/CatalogReader.h"
#include "core/CatalogWalker.h"
#include "core/PathUtil.h"
#include "core/TemporaryFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace cataloom {
namespace {

constexpr char kMagic[8] = {'C', 'L', 'M', 'N', 'A', 'M', 'E', 'S'};
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kFileHeaderSize = 32;
// A part whose catalogue was written this close to the moment the part was
// built may have changed again within the same tick of the file system's
// clock without its write time showing it: such a part is built again.
constexpr platform::FileTime kRacyMargin = 2 * 10000000ULL;
constexpr std::uint32_t kHasFoldersBit = 0x80000000u;
// Longest path of a catalogue below the data folder that a part keeps.
constexpr std::size_t kMaxPartPath = 32 * 1024;

// The name the index keeps for an entry: the one place that decides it.
const char* IndexedName(const std::uint8_t* entry) { return EntryRecord::Name(entry); }

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    std::uint8_t bytes[4];
    Store32(bytes, value);
    out.insert(out.end(), bytes, bytes + 4);
}

void Put64(std::vector<std::uint8_t>& out, std::uint64_t value) {
    std::uint8_t bytes[8];
    Store64(bytes, value);
    out.insert(out.end(), bytes, bytes + 8);
}

}  // namespace

// Collects one catalogue's entries as the walk reports them.  One builder
// serves every part built, keeping its buffers' room.
class NamesIndex::Builder : public WalkVisitor {
public:
    void Reset() {
        open_.clear();
        records_.clear();
        checkpoints_.clear();
        names_.clear();
        count_ = 0;
        longest_ = 0;
        damaged_ = false;
        unreachable_ = false;
        exact_ = false;
    }

    void Entry(const char*, const char*, std::size_t length, const std::uint8_t* entry) override {
        // The index holds stored names; a catalogue with exact names is
        // matched by those, so its walk answers for it.
        if (Walker()->KeepsExactNames()) exact_ = true;
        const char* name = IndexedName(entry);
        const std::size_t nameLength = std::strlen(name);
        // The walk goes depth first: after leaving the directories that do
        // not hold the entry, the innermost one left is its parent.
        const std::size_t parentLength = length - nameLength - 1;
        longest_ = std::max(longest_, length);
        while (!open_.empty() && open_.back().length > parentLength) open_.pop_back();
        const std::uint32_t parent =
            !open_.empty() && open_.back().length == parentLength ? open_.back().index : IndexPart::kNoParent;
        const std::uint32_t index = count_++;
        if (index % IndexPart::kNamesPerCheckpoint == 0) checkpoints_.push_back(names_.size());
        const std::size_t at = records_.size();
        records_.resize(at + IndexPart::kRecordSize);
        std::uint8_t* record = records_.data() + at;
        Store32(record, parent | (EntryRecord::HasFolders(entry) == 1 ? kHasFoldersBit : 0));
        Store32(record + 4, EntryRecord::Attributes(entry));
        Store64(record + 8, EntryRecord::FileSize(entry));
        Store64(record + 16, EntryRecord::CreationTime(entry));
        Store64(record + 24, EntryRecord::WriteTime(entry));
        names_.insert(names_.end(), name, name + nameLength + 1);
        if (EntryRecord::IsDirectory(entry)) open_.push_back({length, index});
    }
    void Damaged(const char*) override { damaged_ = true; }
    void Unreachable(const char*, const std::uint8_t*) override { unreachable_ = true; }

    // The part in the file's layout.  A catalogue's list area is below
    // 4 GiB and every entry takes at least 38 bytes of it, so the count
    // stays far below the parent field's limit.
    void Write(std::vector<std::uint8_t>& out, const std::string& relative, const platform::FileStamp& stamp,
               platform::FileTime builtAt) const {
        out.clear();
        Put32(out, static_cast<std::uint32_t>(relative.size()));
        Put32(out, (damaged_ ? 1 : 0) | (unreachable_ || exact_ ? 2 : 0));
        Put64(out, stamp.size);
        Put64(out, stamp.lastWriteTime);
        Put64(out, builtAt);
        Put32(out, count_);
        Put32(out, static_cast<std::uint32_t>(longest_));
        Put64(out, names_.size());
        out.insert(out.end(), relative.begin(), relative.end());
        out.insert(out.end(), records_.begin(), records_.end());
        for (std::uint64_t offset : checkpoints_) Put64(out, offset);
        out.insert(out.end(), names_.begin(), names_.end());
    }

private:
    struct Open {
        std::size_t length;
        std::uint32_t index;
    };
    std::vector<Open> open_;
    std::vector<std::uint8_t> records_;
    std::vector<std::uint64_t> checkpoints_;
    std::vector<char> names_;
    std::uint32_t count_ = 0;
    std::size_t longest_ = 0;
    bool damaged_ = false;
    bool unreachable_ = false;
    bool exact_ = false;
};

namespace {

// FNV-1a over the data folder's path, upper-cased as Windows compares paths.
std::uint64_t PathHash(const std::string& path) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char* p = path.c_str(); *p != '\0'; p = text::Next(p)) {
        const bool single = text::Next(p) == p + 1;
        for (const char* q = p; q < text::Next(p); ++q) {
            auto byte = static_cast<unsigned char>(*q);
            hash = (hash ^ (single ? platform::UpperChar(byte) : byte)) * 1099511628211ULL;
        }
    }
    return hash;
}

}  // namespace

// ---- IndexPart ----------------------------------------------------------------

bool IndexPart::Parse(const std::uint8_t* data, std::size_t available) {
    *this = IndexPart();
    if (data == nullptr || available < kFixedSize) return false;
    const std::uint64_t pathLength = Load32(data);
    const std::uint64_t count = Load32(data + 32);
    const std::uint64_t namesSize = Load64(data + 40);
    if (pathLength == 0 || pathLength > kMaxPartPath || count > kNoParent) return false;
    const std::uint64_t checkpoints = (count + kNamesPerCheckpoint - 1) / kNamesPerCheckpoint;
    // Each term is bounded, so the sum cannot wrap before the comparison.
    std::uint64_t left = available - kFixedSize;
    if (pathLength > left) return false;
    left -= pathLength;
    if (count * kRecordSize > left) return false;
    left -= count * kRecordSize;
    if (checkpoints * 8 > left) return false;
    left -= checkpoints * 8;
    if (namesSize > left) return false;
    // Every name holds at least its ending zero, and the last name ends.
    if (count > namesSize || (count == 0) != (namesSize == 0)) return false;
    const std::uint8_t* p = data + kFixedSize;
    path_ = reinterpret_cast<const char*>(p);
    pathLength_ = static_cast<std::size_t>(pathLength);
    p += pathLength;
    records_ = p;
    p += count * kRecordSize;
    checkpoints_ = p;
    checkpointCount_ = static_cast<std::size_t>(checkpoints);
    p += checkpoints * 8;
    names_ = reinterpret_cast<const char*>(p);
    namesSize_ = namesSize;
    if (namesSize != 0 && names_[namesSize - 1] != '\0') return false;
    if (std::memchr(path_, '\0', pathLength_) != nullptr) return false;
    // Each block of names starts after the end of a name, later than the last.
    for (std::size_t block = 0; block < checkpointCount_; ++block) {
        const std::uint64_t offset = Checkpoint(block);
        if (block == 0 ? offset != 0 : (offset <= Checkpoint(block - 1) || offset >= namesSize ||
                                        names_[offset - 1] != '\0'))
            return false;
    }
    data_ = data;
    count_ = static_cast<std::uint32_t>(count);
    bytes_ = static_cast<std::size_t>(kFixedSize + pathLength + count * kRecordSize + checkpoints * 8 + namesSize);
    return true;
}

platform::FileStamp IndexPart::Stamp() const {
    platform::FileStamp stamp;
    stamp.size = Load64(data_ + 8);
    stamp.lastWriteTime = Load64(data_ + 16);
    return stamp;
}

const char* IndexPart::Name(std::uint32_t index) const {
    if (index >= count_) return nullptr;
    const char* end = names_ + namesSize_;
    const char* name = names_ + Checkpoint(index / kNamesPerCheckpoint);
    for (std::uint32_t skip = index % kNamesPerCheckpoint; skip > 0; --skip) {
        const void* zero = std::memchr(name, '\0', static_cast<std::size_t>(end - name));
        if (zero == nullptr) return nullptr;
        name = static_cast<const char*>(zero) + 1;
        if (name >= end) return nullptr;
    }
    return name;
}

std::uint32_t IndexPart::EntryAt(std::uint64_t offset) const {
    if (offset >= namesSize_ || checkpointCount_ == 0) return kNoParent;
    // The last block that starts at or before the offset.
    std::size_t low = 0, high = checkpointCount_;
    while (high - low > 1) {
        const std::size_t middle = low + (high - low) / 2;
        if (Checkpoint(middle) <= offset) low = middle;
        else high = middle;
    }
    std::uint64_t index = std::uint64_t{low} * kNamesPerCheckpoint;
    const char* name = names_ + Checkpoint(low);
    const char* target = names_ + offset;
    while (name < target) {
        name = static_cast<const char*>(std::memchr(name, '\0', static_cast<std::size_t>(target - name)));
        if (name == nullptr) return kNoParent;
        ++name;
        ++index;
    }
    if (name != target || index >= count_) return kNoParent;
    if (low != soundBlock_) {
        // Names that ran together (or split) would shift every index after
        // them: the block must hold exactly its share.
        const std::uint64_t blockEnd = low + 1 < checkpointCount_ ? Checkpoint(low + 1) : namesSize_;
        const std::uint64_t share = std::min<std::uint64_t>(kNamesPerCheckpoint, count_ - std::uint64_t{low} * kNamesPerCheckpoint);
        std::uint64_t names = 0;
        for (const char* p = names_ + Checkpoint(low); p < names_ + blockEnd; ++names) {
            p = static_cast<const char*>(std::memchr(p, '\0', static_cast<std::size_t>(names_ + blockEnd - p)));
            if (p == nullptr) return kNoParent;
            ++p;
        }
        if (names != share) return kNoParent;
        soundBlock_ = low;
    }
    return static_cast<std::uint32_t>(index);
}

std::uint32_t IndexPart::Parent(std::uint32_t index, bool& sound) const {
    const std::uint32_t parent = Load32(Record(index)) & ~kHasFoldersBit;
    if (parent == kNoParent) return kNoParent;
    if (parent >= index) sound = false;
    return parent < index ? parent : kNoParent;
}

void IndexPart::MakeRecord(std::uint32_t index, const char* name, std::vector<std::uint8_t>& record) const {
    const std::size_t nameLength = std::strlen(name);
    record.assign(kEntryFixedSize + nameLength + 1, 0);
    const std::uint8_t* r = Record(index);
    Store16(record.data() + EntryRecord::kSize, static_cast<std::uint16_t>(record.size()));
    Store32(record.data() + EntryRecord::kAttributes, Load32(r + 4));
    Store32(record.data() + EntryRecord::kHasFolders, (Load32(r) & kHasFoldersBit) != 0 ? 1 : 0);
    Store64(record.data() + EntryRecord::kFileSize, Load64(r + 8));
    Store64(record.data() + EntryRecord::kCreationTime, Load64(r + 16));
    Store64(record.data() + EntryRecord::kWriteTime, Load64(r + 24));
    std::memcpy(record.data() + EntryRecord::kName, name, nameLength);
}

// ---- The index file being written ---------------------------------------------

// The index being written: a temporary file beside it (created exclusively,
// see core/TemporaryFile.h) that replaces it when finished and is removed
// otherwise.
class NamesIndex::Output {
public:
    bool Create(const std::string& target) {
        if (!temp_.Create(target + ".")) return false;
        std::uint8_t header[kFileHeaderSize] = {};
        return Put(header, sizeof header);
    }
    bool Put(const void* data, std::size_t bytes) {
        if (failed_ || bytes == 0) return !failed_;
        failed_ = temp_.File().Write(data, bytes) != bytes;
        written_ += bytes;
        return !failed_;
    }
    // Writes the header and moves the file over `target`.
    bool Finish(const std::string& target, const std::string& root, std::uint32_t parts) {
        std::vector<std::uint8_t> header(kFileHeaderSize);
        std::memcpy(header.data(), kMagic, sizeof kMagic);
        Store32(header.data() + 8, kVersion);
        Store32(header.data() + 12, parts);
        Store64(header.data() + 16, written_ + root.size());
        Store32(header.data() + 24, static_cast<std::uint32_t>(root.size()));
        // The root's path follows the parts, so the header, written last,
        // can say where the file ends.
        if (!Put(root.data(), root.size())) return false;
        platform::File& file = temp_.File();
        return file.Seek(0, platform::File::kBegin) && file.Write(header.data(), header.size()) == header.size() &&
               temp_.Publish(target.c_str());
    }
    std::uint64_t Written() const { return written_; }

private:
    TemporaryFile temp_;
    std::uint64_t written_ = 0;
    bool failed_ = false;
};

// ---- NamesIndex ------------------------------------------------------------------

NamesIndex::NamesIndex(std::string dataRoot, std::string file, std::string identity)
    : dataRoot_(std::move(dataRoot)), file_(std::move(file)), identity_(std::move(identity)) {
    if (identity_.empty()) identity_ = dataRoot_;
}

NamesIndex::~NamesIndex() = default;

std::string NamesIndex::FileFor(const std::string& dataRoot) {
    std::string folder = platform::CacheFolder();
    if (folder.empty()) return std::string();
    // The cache folder itself may not exist yet (a fresh ~/.cache).
    if (!path::IsDirectory(folder.c_str())) platform::MakeDirectory(folder.c_str());
    for (const char* name : {"cataloom", "names"}) {
        folder += "\\";
        folder += name;
        if (!path::IsDirectory(folder.c_str())) platform::MakeDirectory(folder.c_str());
    }
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(PathHash(dataRoot)));
    std::string file = folder + "\\" + hash + ".idx";
    return file.size() < platform::kMaxPath ? file : std::string();
}

bool NamesIndex::Load() {
    held_.clear();
    byPath_.clear();
    mapped_.Close();
    // A missing or unsound file is written again even when no part changes.
    changed_ = true;
    if (file_.empty() || !mapped_.Open(file_.c_str())) return false;
    const std::uint8_t* data = mapped_.Data();
    const std::size_t size = mapped_.Size();
    bool sound = size >= kFileHeaderSize && std::memcmp(data, kMagic, sizeof kMagic) == 0 &&
                 Load32(data + 8) == kVersion && Load64(data + 16) == size && Load32(data + 28) == 0;
    // The root's path ends the file; the parts fill what lies before it.
    const std::size_t rootLength = sound ? Load32(data + 24) : 0;
    sound = sound && rootLength == identity_.size() && rootLength <= size - kFileHeaderSize &&
            std::memcmp(data + size - rootLength, identity_.data(), rootLength) == 0;
    const std::uint32_t parts = sound ? Load32(data + 12) : 0;
    std::size_t at = kFileHeaderSize;
    const std::size_t end = size - rootLength;
    for (std::uint32_t i = 0; sound && i < parts; ++i) {
        Held held;
        sound = held.part.Parse(data + at, end - at) && byPath_.emplace(held.part.Path(), held_.size()).second;
        if (!sound) break;
        at += held.part.Bytes();
        held_.push_back(held);
    }
    if (sound && at == end) {
        changed_ = false;
        return true;
    }
    held_.clear();
    byPath_.clear();
    mapped_.Close();
    return false;
}

std::string NamesIndex::Relative(const char* path) const {
    const char* below = path::RelativeTo(dataRoot_.c_str(), path);
    return below != nullptr ? std::string(below) : std::string();
}

const IndexPart* NamesIndex::Current(const char* path, bool rebuild) {
    Flush();
    const std::string relative = Relative(path);
    if (relative.empty()) return nullptr;
    const auto found = byPath_.find(relative);
    if (found != byPath_.end()) {
        Held& held = held_[found->second];
        held.asked = true;
        platform::FileStamp stamp;
        if (!rebuild && platform::GetFileStamp(path, stamp)) {
            const platform::FileStamp kept = held.part.Stamp();
            // A damaged catalogue is read again each time: what made it
            // unreadable (a writer holding it, say) may have passed.
            if (kept.size == stamp.size && kept.lastWriteTime == stamp.lastWriteTime &&
                stamp.lastWriteTime + kRacyMargin < held.part.BuiltAt() && !held.part.Damaged()) {
                ++figures_.reused;
                return &held.part;
            }
        }
        // Replaced by the part built now.
        byPath_.erase(found);
    }
    if (!BuildPart(path, relative)) return nullptr;
    return &built_;
}

bool NamesIndex::BuildPart(const char* path, const std::string& relative) {
    // The time is taken before the stamp and the stamp before the reading,
    // so a change while the part is built shows as a different key later.
    const platform::FileTime builtAt = platform::CurrentTime();
    platform::FileStamp stamp;
    CatalogHeader header;
    if (!platform::GetFileStamp(path, stamp) || !ReadCatalogHeader(path, &header)) return false;
    char root[kMaxCatalogNameLength + 1];
    text::CopyTruncated(root, sizeof root, header.name);
    if (builder_ == nullptr) builder_ = std::make_unique<Builder>();
    builder_->Reset();
    CatalogReader reader;
    // As long a path as any search takes: a search with less room walks a
    // catalogue whose longest path does not fit it.
    CatalogWalker(reader, *builder_, CatalogWalker::kExportCapacity).Walk(path, root);
    builder_->Write(building_, relative, stamp, builtAt);
    if (!built_.Parse(building_.data(), building_.size())) return false;
    ++figures_.built;
    changed_ = true;
    return true;
}

void NamesIndex::Flush() {
    if (building_.empty()) return;
    if (output_ == nullptr && !writeFailed_) {
        output_ = std::make_unique<Output>();
        writeFailed_ = !output_->Create(file_);
    }
    // After a failed write nothing more is written, and Save fails.
    writeFailed_ = writeFailed_ || !output_->Put(building_.data(), building_.size());
    figures_.catalogs += 1;
    figures_.entries += built_.Count();
    building_.clear();
    built_ = IndexPart();
}

bool NamesIndex::Save(bool whole) {
    Flush();
    std::size_t dropped = 0;
    for (const Held& held : held_)
        if (whole && !held.asked) ++dropped;
    figures_.dropped = dropped;
    if (!changed_ && dropped == 0) {
        for (const Held& held : held_) {
            figures_.catalogs += 1;
            figures_.entries += held.part.Count();
        }
        figures_.bytes = mapped_.Size();
        return true;
    }
    if (output_ == nullptr && !writeFailed_) {
        output_ = std::make_unique<Output>();
        writeFailed_ = file_.empty() || !output_->Create(file_);
    }
    for (const Held& held : held_) {
        // A part built again was written when it was built.
        if (writeFailed_ || byPath_.find(held.part.Path()) == byPath_.end() || (whole && !held.asked)) continue;
        writeFailed_ = !output_->Put(held.part.Data(), held.part.Bytes());
        figures_.catalogs += 1;
        figures_.entries += held.part.Count();
    }
    // The held parts point into the mapping, which must be gone before the
    // file is replaced (Windows refuses to replace a mapped file).
    held_.clear();
    byPath_.clear();
    mapped_.Close();
    const bool saved = !writeFailed_ && output_->Finish(file_, identity_, static_cast<std::uint32_t>(figures_.catalogs));
    figures_.bytes = saved ? output_->Written() : 0;
    output_.reset();
    changed_ = false;
    return saved;
}

}  // namespace cataloom

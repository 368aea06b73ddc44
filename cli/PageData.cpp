#include "cli/PageData.h"

#include "core/StoredName.h"
#include "platform/Console.h"

#include <cstring>

namespace cataloom::cli {
namespace {

constexpr char kMagic[] = "CLP1";
// The tables keep times as whole seconds since 1601 plus one, 0 for an
// unknown time, so the first second of 1601 stays known.
constexpr std::uint64_t kTicksPerSecond = 10000000;

std::uint64_t PageTime(platform::FileTime time) { return time == 0 ? 0 : time / kTicksPerSecond + 1; }

void PutNumber(std::string& out, std::uint64_t value) {
    while (value >= 0x80) {
        out += static_cast<char>((value & 0x7F) | 0x80);
        value >>= 7;
    }
    out += static_cast<char>(value);
}

// A signed difference as an unsigned number, small either way.
void PutDifference(std::string& out, std::uint64_t value, std::uint64_t previous) {
    auto delta = static_cast<std::int64_t>(value - previous);
    PutNumber(out, (static_cast<std::uint64_t>(delta) << 1) ^ static_cast<std::uint64_t>(delta >> 63));
}

void PutText(std::string& out, const std::string& text) {
    PutNumber(out, text.size());
    out += text;
}

std::string HeaderText(const char* field, std::size_t size) {
    return PageName(std::string(field, strnlen(field, size)).c_str());
}

}  // namespace

// A damaged name in its visible form, as every export writes it.
std::string PageName(const char* stored) { return platform::console::ToUtf8(VisibleName(stored)); }

PageData::PageData(const std::string& rootPath, const std::string& rootName) {
    if (rootPath.empty()) return;
    AddNode(Kind::kFolder, 0, PageName(rootName.c_str()));
    folders_.push_back({rootPath.size(), 0});
}

std::uint32_t PageData::AddNode(Kind kind, std::uint32_t parent, std::string name) {
    auto index = static_cast<std::uint32_t>(nodes_.size());
    Node node{};
    node.kind = kind;
    node.parent = nodes_.empty() ? index : parent;
    node.name = std::move(name);
    nodes_.push_back(std::move(node));
    return index;
}

std::uint32_t PageData::Holder(std::vector<Open>& open, std::size_t length) {
    // The walk is depth first, so the holder is on the stack; whatever was
    // left above it has been walked.
    while (open.size() > 1 && open.back().length != length) open.pop_back();
    return open.empty() ? 0 : open.back().node;
}

void PageData::Folder(const char* path, const char* name) {
    std::size_t length = std::strlen(path);
    std::uint32_t parent = Holder(folders_, length - std::strlen(name) - 1);
    folders_.push_back({length, AddNode(Kind::kFolder, parent, PageName(name))});
}

void PageData::Catalog(const char* path, const char* name, const std::string& file, const CatalogHeader& header) {
    std::uint32_t parent = folders_.empty() ? 0 : Holder(folders_, std::strlen(path) - std::strlen(name) - 1);
    std::string root = std::string(header.name, strnlen(header.name, sizeof(header.name)));
    catalog_ = AddNode(Kind::kCatalog, parent, PageName(root.c_str()));
    Node& node = nodes_[catalog_];
    node.file = file;
    node.fileSystem = HeaderText(header.fileSystem, sizeof(header.fileSystem));
    node.directories = header.directoryCount;
    node.files = header.fileCount;
    node.volumeBytes = header.totalBytes;
    node.freeBytes = header.freeBytes;
    node.captured = PageTime(header.captureTime);
    directories_.assign(1, {root.size(), catalog_});
    pending_ = -1;
}

void PageData::Entry(std::size_t length, const std::uint8_t* entry) {
    const char* name = EntryRecord::Name(entry);
    std::size_t nameLength = std::strlen(name);
    std::uint32_t holder = Holder(directories_, length - nameLength - 1);
    auto index = static_cast<std::uint32_t>(entryNode_.size());
    entryNode_.push_back(holder);
    nameStart_.push_back(static_cast<std::uint32_t>(names_.size()));
    names_ += PageName(name);
    names_ += '\0';
    attributes_.push_back(EntryRecord::Attributes(entry));
    sizes_.push_back(EntryRecord::FileSize(entry));
    times_.push_back(PageTime(EntryRecord::WriteTime(entry)));
    pending_ = -1;
    if (EntryRecord::IsDirectory(entry)) {
        pending_ = AddNode(Kind::kDirectory, holder, "");
        nodes_[static_cast<std::size_t>(pending_)].entry = index;
        pendingLength_ = length;
    } else if (EntryRecord::FileSize(entry) != kUnknownTotal) {
        nodes_[catalog_].fileBytes += EntryRecord::FileSize(entry);
    }
}

void PageData::EnteringDirectory() {
    if (pending_ >= 0) directories_.push_back({pendingLength_, static_cast<std::uint32_t>(pending_)});
    pending_ = -1;
}

std::string PageData::Encode() const {
    std::size_t count = entryNode_.size();
    // Entries grouped by their node, in walk order within it: a counting sort.
    std::vector<std::uint32_t> first(nodes_.size() + 1, 0);
    for (std::uint32_t node : entryNode_) ++first[node + 1];
    for (std::size_t i = 1; i < first.size(); ++i) first[i] += first[i - 1];
    std::vector<std::uint32_t> order(count), position(count);
    {
        std::vector<std::uint32_t> next(first.begin(), first.end() - 1);
        for (std::uint32_t e = 0; e < count; ++e) {
            position[e] = next[entryNode_[e]]++;
            order[position[e]] = e;
        }
    }
    std::string out(kMagic, 4);
    // Room for the numbers of an entry (at most 31 bytes, rarely a third of
    // that) and of a node, so the text grows without copies as a rule.
    out.reserve(names_.size() + count * 12 + nodes_.size() * 48);
    PutNumber(out, nodes_.size());
    PutNumber(out, count);
    for (std::size_t i = 0; i < nodes_.size(); ++i) {
        const Node& node = nodes_[i];
        out += static_cast<char>(node.kind);
        PutNumber(out, i - node.parent);
        PutNumber(out, first[i + 1] - first[i]);
        if (node.kind == Kind::kDirectory) {
            PutNumber(out, position[node.entry]);
            continue;
        }
        PutText(out, node.name);
        if (node.kind != Kind::kCatalog) continue;
        PutText(out, node.file);
        PutText(out, node.fileSystem);
        for (std::uint64_t n : {std::uint64_t{node.directories}, std::uint64_t{node.files}, node.fileBytes,
                                node.volumeBytes, node.freeBytes, node.captured})
            PutNumber(out, n);
    }
    // Names joined by NUL, which no stored name holds: as many bytes as
    // the names with their terminators, less one.
    PutNumber(out, count == 0 ? 0 : names_.size() - 1);
    for (std::uint32_t e : order) {
        if (e != order.front()) out += '\0';
        out.append(names_.c_str() + nameStart_[e]);
    }
    for (std::uint32_t e : order) PutNumber(out, attributes_[e]);
    // A size the catalogue does not know is 0, every other one plus 1.
    for (std::uint32_t e : order) PutNumber(out, sizes_[e] == kUnknownTotal ? 0 : sizes_[e] + 1);
    std::uint64_t previous = 0;
    for (std::uint32_t e : order) {
        PutDifference(out, times_[e], previous);
        previous = times_[e];
    }
    return out;
}

}  // namespace cataloom::cli

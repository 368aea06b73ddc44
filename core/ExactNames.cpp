#include "core/ExactNames.h"

#include "core/CatalogFile.h"
#include "core/CatalogPath.h"
#include "core/ExactMatcher.h"
#include "core/PathUtil.h"
#include "core/StoredName.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <tuple>

namespace cataloom {
namespace {

enum TrailerOffset : std::size_t { kSignature = 0, kVersion = 4, kReserved = 6, kBlockSize = 8, kCount = 12, kCrc = 16 };
enum RecordOffset : std::size_t { kKind = 0, kFlags = 1, kLength = 2, kKey = 4, kName = 8 };

std::uint32_t Crc(const std::uint8_t* data, std::size_t size) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes 32-bit lengths; a block is below 4 GiB anyway.
    while (size > 0) {
        auto piece = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
        crc = crc32(crc, data, piece);
        data += piece;
        size -= piece;
    }
    return static_cast<std::uint32_t>(crc);
}

std::tuple<std::uint8_t, std::uint32_t> KeyAt(const std::uint8_t* record) {
    return {record[kKind], Load32(record + kKey)};
}

}  // namespace

bool BuildExactBlock(std::vector<ExactName> names, std::vector<std::uint8_t>& out) {
    out.clear();
    if (names.empty()) return true;
    std::sort(names.begin(), names.end(), [](const ExactName& a, const ExactName& b) {
        return std::make_tuple(a.kind, a.key) < std::make_tuple(b.kind, b.key);
    });
    for (std::size_t i = 0; i < names.size(); ++i) {
        const ExactName& n = names[i];
        if (n.name.empty() || n.name.size() > kMaxExactNameBytes || n.name.find('\0') != std::string::npos ||
            (i > 0 && n.kind == names[i - 1].kind && n.key == names[i - 1].key))
            return false;
        std::size_t at = out.size();
        out.resize(at + kExactRecordFixedSize + n.name.size(), 0);
        std::uint8_t* r = out.data() + at;
        r[kKind] = static_cast<std::uint8_t>(n.kind);
        Store16(r + kLength, static_cast<std::uint16_t>(n.name.size()));
        Store32(r + kKey, n.key);
        std::memcpy(r + kName, n.name.data(), n.name.size());
    }
    if (out.size() > std::numeric_limits<std::uint32_t>::max() - kExactTrailerSize) return false;
    std::uint8_t trailer[kExactTrailerSize] = {};
    std::memcpy(trailer + kSignature, kExactSignature, sizeof kExactSignature);
    Store16(trailer + kVersion, kExactVersion);
    Store32(trailer + kBlockSize, static_cast<std::uint32_t>(out.size()));
    Store32(trailer + kCount, static_cast<std::uint32_t>(names.size()));
    Store32(trailer + kCrc, Crc(out.data(), out.size()));
    out.insert(out.end(), trailer, trailer + kExactTrailerSize);
    return true;
}

void ExactNames::Clear() {
    status_ = Status::kAbsent;
    problem_.clear();
    start_ = 0;
    block_.clear();
    block_.shrink_to_fit();
    records_.clear();
    records_.shrink_to_fit();
}

ExactNames::Status ExactNames::Fail(const std::string& problem) {
    block_.clear();
    records_.clear();
    status_ = Status::kDamaged;
    problem_ = problem;
    return status_;
}

bool ExactNames::CheckTrailer(const std::uint8_t* trailer, std::uint64_t fileSize, std::uint64_t listsEnd,
                              std::uint32_t& blockSize, std::uint32_t& count, std::uint32_t& crc) {
    if (std::memcmp(trailer + kSignature, kExactSignature, sizeof kExactSignature) != 0) return false;
    if (Load16(trailer + kVersion) != kExactVersion || Load16(trailer + kReserved) != 0) {
        Fail("exact names: version " + std::to_string(Load16(trailer + kVersion)) + " is not known");
        return false;
    }
    blockSize = Load32(trailer + kBlockSize);
    count = Load32(trailer + kCount);
    crc = Load32(trailer + kCrc);
    // The block lies between the last entry list and the trailer, and every
    // record takes at least its fixed part and one byte of name.
    std::uint64_t room = fileSize - kExactTrailerSize - listsEnd;
    if (blockSize > room) {
        Fail("exact names: block of " + std::to_string(blockSize) + " bytes overlaps the entry lists");
        return false;
    }
    if (count == 0 || static_cast<std::uint64_t>(count) * (kExactRecordFixedSize + 1) > blockSize) {
        Fail("exact names: " + std::to_string(count) + " records cannot fill " + std::to_string(blockSize) +
             " bytes");
        return false;
    }
    return true;
}

ExactNames::Status ExactNames::Load(platform::File& file, std::uint64_t fileSize, std::uint64_t listsEnd) {
    Clear();
    start_ = fileSize;
    if (listsEnd > fileSize || fileSize - listsEnd < kExactTrailerSize) return status_;
    std::uint8_t trailer[kExactTrailerSize];
    if (file.ReadAt(fileSize - kExactTrailerSize, trailer, sizeof trailer) != sizeof trailer)
        return Fail("exact names: the trailer cannot be read");
    std::uint32_t blockSize = 0, count = 0, crc = 0;
    if (!CheckTrailer(trailer, fileSize, listsEnd, blockSize, count, crc)) return status_;
    std::vector<std::uint8_t> block(blockSize);
    if (file.ReadAt(fileSize - kExactTrailerSize - blockSize, block.data(), blockSize) != blockSize)
        return Fail("exact names: the block cannot be read");
    return TakeBlock(std::move(block), count, crc, fileSize);
}

ExactNames::Status ExactNames::Parse(const std::uint8_t* data, std::uint64_t fileSize, std::uint64_t listsEnd) {
    Clear();
    start_ = fileSize;
    if (data == nullptr || listsEnd > fileSize || fileSize - listsEnd < kExactTrailerSize) return status_;
    std::uint32_t blockSize = 0, count = 0, crc = 0;
    const std::uint8_t* trailer = data + fileSize - kExactTrailerSize;
    if (!CheckTrailer(trailer, fileSize, listsEnd, blockSize, count, crc)) return status_;
    return TakeBlock(std::vector<std::uint8_t>(trailer - blockSize, trailer), count, crc, fileSize);
}

ExactNames::Status ExactNames::TakeBlock(std::vector<std::uint8_t> block, std::uint32_t count, std::uint32_t crc,
                                         std::uint64_t fileSize) {
    if (Crc(block.data(), block.size()) != crc) return Fail("exact names: checksum does not match");
    std::vector<std::uint32_t> records;
    records.reserve(count);
    std::size_t pos = 0;
    while (pos < block.size()) {
        const std::uint8_t* r = block.data() + pos;
        std::string where = "exact names: record at " + std::to_string(pos);
        if (block.size() - pos < kExactRecordFixedSize) return Fail(where + " is cut off");
        std::size_t length = Load16(r + kLength);
        if (r[kKind] > static_cast<std::uint8_t>(ExactKind::kEntry) || r[kFlags] != 0)
            return Fail(where + " has an unknown kind");
        if (length == 0 || length > kMaxExactNameBytes || length > block.size() - pos - kExactRecordFixedSize)
            return Fail(where + " has a name length of " + std::to_string(length));
        if (std::memchr(r + kName, 0, length) != nullptr) return Fail(where + " holds a zero byte");
        if (r[kKind] == static_cast<std::uint8_t>(ExactKind::kCatalog) && Load32(r + kKey) != 0)
            return Fail(where + " names a second catalogue");
        // Strictly ascending keys: lookups bisect, and a key given twice is
        // inconsistent.
        if (!records.empty() && !(KeyAt(block.data() + records.back()) < KeyAt(r)))
            return Fail(where + " is out of order or repeats a key");
        if (records.size() == count) return Fail("exact names: more records than the trailer's " +
                                                 std::to_string(count));
        records.push_back(static_cast<std::uint32_t>(pos));
        pos += kExactRecordFixedSize + length;
    }
    if (records.size() != count)
        return Fail("exact names: " + std::to_string(records.size()) + " records, the trailer says " +
                    std::to_string(count));
    block_ = std::move(block);
    records_ = std::move(records);
    start_ = fileSize - kExactTrailerSize - block_.size();
    status_ = Status::kSound;
    return status_;
}

std::string_view ExactNames::Find(ExactKind kind, std::uint32_t key) const {
    if (records_.empty()) return {};
    std::tuple<std::uint8_t, std::uint32_t> wanted{static_cast<std::uint8_t>(kind), key};
    auto it = std::lower_bound(records_.begin(), records_.end(), wanted, [this](std::uint32_t at, const auto& k) {
        return KeyAt(block_.data() + at) < k;
    });
    if (it == records_.end() || KeyAt(block_.data() + *it) != wanted) return {};
    const std::uint8_t* r = block_.data() + *it;
    return {reinterpret_cast<const char*>(r + kName), Load16(r + kLength)};
}

ExactName ExactNames::At(std::size_t i) const {
    const std::uint8_t* r = block_.data() + records_.at(i);
    return {static_cast<ExactKind>(r[kKind]), Load32(r + kKey),
            std::string(reinterpret_cast<const char*>(r + kName), Load16(r + kLength))};
}

std::string ShowExact(std::string_view name) {
    std::string shown;
    std::size_t i = 0;
    for (char32_t c : DecodeUtf8(name)) {
        bool rawByte = c >= 0xDC80 && c <= 0xDCFF;
        if (rawByte || c < 0x20 || c == 0x7F || c == '\\') {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", rawByte ? static_cast<unsigned>(c - 0xDC00) : static_cast<unsigned>(c));
            shown += hex;
            i += 1;
            continue;
        }
        std::size_t length = c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        shown.append(name.substr(i, length));
        i += length;
    }
    return shown;
}

std::string ShownName(std::string_view exact, const char* stored) {
    if (!exact.empty()) return ShowExact(exact);
    return platform::StoredToUtf8(VisibleName(stored != nullptr ? stored : "").c_str());
}

std::string ShownStoredBelow(const char* inner) {
    std::string below;
    const char* p = BelowCatalogRoot(inner);
    while (*p == '\\') {
        const char* start = ++p;
        // Steps over double-byte characters: a trail byte may equal '\\'.
        while (*p != '\0' && *p != '\\') p = text::Next(p);
        if (!below.empty()) below += '/';
        below += ShownName({}, std::string(start, p).c_str());
    }
    return below;
}

std::string ExactOrStored(std::string_view exact, const char* stored) {
    if (!exact.empty()) return std::string(exact);
    return platform::StoredToUtf8(stored != nullptr ? stored : "");
}

}  // namespace cataloom

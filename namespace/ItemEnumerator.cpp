#include "namespace/ItemEnumerator.h"

#include <cstring>

#include "core/CatalogFile.h"
#include "core/CatalogReader.h"
#include "core/ItemIdFactory.h"
#include "core/PathUtil.h"
#include "namespace/ProcessObjects.h"
#include "platform/Platform.h"

namespace cataloom {
namespace {

// A catalogue is listed when its name and header say so and its directory
// table lies inside the file: a truncated file is not offered for browsing.
bool ReadListableHeader(const char* path, std::uint64_t fileSize, CatalogHeader& header) {
    if (!ReadHeader(path, &header) || !IsCatalogHeader(&header)) return false;
    return static_cast<std::uint64_t>(header.tableOffset) + header.tableSize <= fileSize;
}

}  // namespace

ItemEnumerator::ItemEnumerator(SHCONTF flags, const char* fileSystemPath, const char* cataloguePath) {
    if (fileSystemPath == nullptr) return;
    // An empty catalogue path is the root of a catalogue without a name.
    listed_ = cataloguePath == nullptr ? ListFolder(fileSystemPath)
                                       : ListCatalogue(flags, fileSystemPath, cataloguePath);
}

bool ItemEnumerator::ListFolder(const char* path) {
    // Not a file search for the folder itself: that finds no drive root ("Q:\\").
    if (!path::IsDirectory(path)) return false;
    char pattern[kMaxPath];
    if (!path::Combine(pattern, path, "*.*")) return false;
    platform::DirectorySearch search(pattern);
    if (!search.IsOpen()) return false;
    const ItemIdFactory& ids = ProcessObjects::ItemIds();
    platform::FindData found;
    while (search.Next(found)) {
        if (path::IsDotEntry(found.name)) continue;
        // Every folder is a category, hidden and system ones too.
        if ((found.attributes & platform::kAttrDirectory) != 0) {
            Append(ids.MakeCategory(found.name));
            continue;
        }
        if (!IsCatalogFileName(found.name)) continue;
        char file[kMaxPath];
        CatalogHeader header;
        if (!path::Combine(file, path, found.name) || !ReadListableHeader(file, found.size, header)) continue;
        Append(ids.MakeMedia(found.name, header));
    }
    return true;
}

bool ItemEnumerator::ListCatalogue(SHCONTF flags, const char* file, const char* directory) {
    CatalogReader& reader = ProcessObjects::Reader();
    if (FAILED(reader.Open(file))) return false;
    std::uint8_t* block = nullptr;
    if (FAILED(reader.ReadEntryList(directory, &block))) return false;
    TaskMemory<std::uint8_t> list(block);
    const ItemIdFactory& ids = ProcessObjects::ItemIds();
    // Directories first, then files, each in the catalogue's stored order.
    for (bool directories : {true, false}) {
        if ((flags & (directories ? SHCONTF_FOLDERS : SHCONTF_NONFOLDERS)) == 0) continue;
        for (const std::uint8_t* record = list.Get(); EntryRecord::Size(record) != 0;
             record += EntryRecord::Size(record)) {
            if (EntryRecord::IsDirectory(record) == directories) Append(ids.MakeEntry(record));
        }
    }
    return true;
}

void ItemEnumerator::Append(ItemId* item) {
    // An item that could not be built for lack of memory is left out.
    if (item != nullptr) items_.emplace_back(item);
}

STDMETHODIMP ItemEnumerator::Next(ULONG count, PITEMID_CHILD* items, ULONG* fetched) noexcept {
    if (count > 1 && fetched == nullptr) return E_INVALIDARG;
    if (count > 0 && items == nullptr) return E_POINTER;
    const ItemIdFactory& ids = ProcessObjects::ItemIds();
    ULONG handedOut = 0;
    while (handedOut < count && cursor_ < items_.size()) {
        ItemId* copy = ids.Copy(items_[cursor_].Get());
        if (copy == nullptr) break;
        items[handedOut++] = reinterpret_cast<PITEMID_CHILD>(copy);
        ++cursor_;
    }
    if (fetched != nullptr) *fetched = handedOut;
    return handedOut == count ? S_OK : S_FALSE;
}

STDMETHODIMP ItemEnumerator::Skip(ULONG count) noexcept {
    std::size_t left = items_.size() - cursor_;
    if (count > left) {
        cursor_ = items_.size();
        return S_FALSE;
    }
    cursor_ += count;
    return S_OK;
}

STDMETHODIMP ItemEnumerator::Reset() noexcept {
    cursor_ = 0;
    return S_OK;
}

STDMETHODIMP ItemEnumerator::Clone(IEnumIDList** out) noexcept {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
}

}  // namespace cataloom

// The enumerator a folder hands out: the complete list of the folder's
// items, built once at construction, handed out as copies.  At the data
// folder's levels it lists the disk; inside a catalogue, one directory's
// entry list.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "core/ItemId.h"
#include "core/TaskMemory.h"
#include "namespace/ComObject.h"

namespace cataloom {

class ItemEnumerator final : public ComObject<ItemEnumerator, IEnumIDList> {
public:
    // Lists the folder on disk at `fileSystemPath` when `cataloguePath` is
    // null, else the directory `cataloguePath` of the catalogue file at
    // `fileSystemPath`.  Listed() tells whether that worked.
    ItemEnumerator(SHCONTF flags, const char* fileSystemPath, const char* cataloguePath);

    bool Listed() const noexcept { return listed_; }

    STDMETHODIMP Next(ULONG count, PITEMID_CHILD* items, ULONG* fetched) noexcept override;
    STDMETHODIMP Skip(ULONG count) noexcept override;
    STDMETHODIMP Reset() noexcept override;
    STDMETHODIMP Clone(IEnumIDList** out) noexcept override;

private:
    ~ItemEnumerator() override = default;

    bool ListFolder(const char* path);
    bool ListCatalogue(SHCONTF flags, const char* file, const char* directory);
    void Append(ItemId* item);

    std::vector<TaskMemory<ItemId>> items_;
    std::size_t cursor_ = 0;
    bool listed_ = false;
};

}  // namespace cataloom

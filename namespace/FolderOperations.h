// The changes a folder of the data folder makes on disk: naming and creating
// a category, deleting categories and catalogues to the Recycle Bin, and
// refreshing items whose appearance changed.  Nothing is done through a
// link that leads out of the data folder.  Each ends by telling the shell
// and then every open view of the folder.
#pragma once

#include <windows.h>

#include <cstddef>

#include "core/ItemId.h"

namespace cataloom {

class CatalogFolder;

class FolderOperations {
public:
    explicit FolderOperations(CatalogFolder& folder) noexcept : folder_(folder) {}

    // The first free name of "新しいカテゴリ", "新しいカテゴリ(1)", ...
    HRESULT NewCategoryName(char* buffer, std::size_t capacity) noexcept;
    // Creates the category folder; `newItem`, when given, receives its
    // identifier (the caller frees it).
    HRESULT CreateCategory(const char* name, ItemId** newItem) noexcept;
    // Moves categories and catalogues to the Recycle Bin without asking.
    HRESULT DeleteItems(const ItemId* const* items, UINT count) noexcept;
    HRESULT RefreshItems(const ItemId* const* items, UINT count) noexcept;
    // The path of `item` (the folder itself for null) in `path` (kMaxPath
    // bytes).  E_ACCESSDENIED for an existing path that is not reached
    // inside the data folder without a link (IsContainedPath); E_FAIL when
    // there is no such path.
    HRESULT ContainedPath(const ItemId* item, char* path) const noexcept;

private:
    // The path of the folder joined with `name`; false where ContainedPath
    // fails for the folder or when it does not fit.
    bool PathOf(const char* name, char* path) const noexcept;

    CatalogFolder& folder_;
};

}  // namespace cataloom

// The namespace folder the shell browses.  One object works at one of four
// levels: the data folder (root), a category folder on disk, the root of a
// catalogue file, or a directory inside a catalogue.  The top folder comes
// from the folder CLSID's class factory; every deeper one from BindToObject.
// Nothing is cached: each call works from the disk and the catalogue again.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "core/ItemId.h"
#include "core/PathUtil.h"
#include "namespace/ComObject.h"

namespace cataloom {

class CatalogFolder final : public ComObject<CatalogFolder, IShellFolder, IPersistFolder2> {
public:
    // `parent` null and `name` empty make a top folder; a child takes a
    // reference on its parent and is named after its item.
    CatalogFolder(CatalogFolder* parent, const char* name) noexcept;

    // IPersistFolder2 answers IPersistFolder and IPersist too.
    void* QueryExtra(REFIID iid) noexcept;

    // IShellFolder
    STDMETHODIMP ParseDisplayName(HWND owner, IBindCtx* context, LPWSTR name, ULONG* eaten,
                                  PIDLIST_RELATIVE* list, ULONG* attributes) noexcept override;
    STDMETHODIMP EnumObjects(HWND owner, SHCONTF flags, IEnumIDList** out) noexcept override;
    STDMETHODIMP BindToObject(PCUIDLIST_RELATIVE list, IBindCtx* context, REFIID iid,
                              void** out) noexcept override;
    STDMETHODIMP BindToStorage(PCUIDLIST_RELATIVE list, IBindCtx* context, REFIID iid,
                               void** out) noexcept override;
    STDMETHODIMP CompareIDs(LPARAM parameter, PCUIDLIST_RELATIVE first,
                            PCUIDLIST_RELATIVE second) noexcept override;
    STDMETHODIMP CreateViewObject(HWND owner, REFIID iid, void** out) noexcept override;
    STDMETHODIMP GetAttributesOf(UINT count, PCUITEMID_CHILD_ARRAY lists, SFGAOF* attributes) noexcept override;
    STDMETHODIMP GetUIObjectOf(HWND owner, UINT count, PCUITEMID_CHILD_ARRAY lists, REFIID iid, UINT* reserved,
                               void** out) noexcept override;
    STDMETHODIMP GetDisplayNameOf(PCUITEMID_CHILD list, SHGDNF flags, STRRET* name) noexcept override;
    STDMETHODIMP SetNameOf(HWND owner, PCUITEMID_CHILD list, LPCWSTR name, SHGDNF flags,
                           PITEMID_CHILD* newList) noexcept override;

    // IPersistFolder
    STDMETHODIMP GetClassID(CLSID* clsid) noexcept override;
    STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE list) noexcept override;
    // IPersistFolder2: the shell's item wrapper (and so the tree of its
    // browser) gives up on a folder without it.
    STDMETHODIMP GetCurFolder(PIDLIST_ABSOLUTE* list) noexcept override;

    bool IsTop() const noexcept { return parent_ == nullptr; }
    // Root and category folders: their items are real folders and files.
    bool IsFileSystemLevel() const noexcept;
    // Catalogue roots and directories: their items are read from a catalogue.
    bool IsCatalogueLevel() const noexcept;
    // The folder's path on disk (with an item: the item's path); the length,
    // or -1 when `capacity` is too small.  Inside a catalogue it is the
    // catalogue file's path.
    int FileSystemPath(const ItemId* item, char* buffer, std::size_t capacity) const noexcept;
    // The directory path inside the catalogue, as CatalogReader takes it;
    // the length, 0 outside a catalogue, -1 when `capacity` is too small.
    int CataloguePath(const ItemId* item, char* buffer, std::size_t capacity) const noexcept;
    // A new absolute list: the folder's own list joined with `item`.
    ItemId* ChildIdList(const ItemId* item) const noexcept;
    // The folder's own absolute list (owned by the folder; null before Initialize).
    const ItemId* IdList() const noexcept { return list_; }

    // Folder operations of the data folder's levels.
    HRESULT NewCategoryName(char* buffer, std::size_t capacity) noexcept;
    HRESULT CreateCategory(const char* name, ItemId** newItem) noexcept;
    HRESULT DeleteItems(const ItemId* const* items, UINT count) noexcept;
    HRESULT RefreshItems(const ItemId* const* items, UINT count) noexcept;

private:
    ~CatalogFolder() override;

    HRESULT ParseName(const char* name, ItemId** result) const;
    HRESULT ParentFolderDisplayName(SHGDNF flags, char* buffer, std::size_t capacity) const;
    HRESULT DisplayName(const ItemId* list, SHGDNF flags, char* buffer, std::size_t capacity) const;
    HRESULT Rename(const ItemId* item, const char* newName, ItemId** newItem);
    ULONG AttributesOf(const ItemId* list) const;

    CatalogFolder* parent_;
    char name_[kMaxPath];
    bool topIsCatalogue_ = false;  // a top folder opened on a catalogue file
    ItemId* list_ = nullptr;
};

}  // namespace cataloom

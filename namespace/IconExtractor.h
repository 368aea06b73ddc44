// The icon of one item of a folder: a category's chosen icon or a folder,
// a catalogue's drive type, an entry's system icon by its name.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "core/ItemId.h"
#include "core/TaskMemory.h"
#include "namespace/ComObject.h"

// The system headers declare IExtractIconA and IExtractIconW without the
// uuids the object pattern's interface table reads.
__CRT_UUID_DECL(IExtractIconA, 0x000214eb, 0x0000, 0x0000, 0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)
__CRT_UUID_DECL(IExtractIconW, 0x000214fa, 0x0000, 0x0000, 0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)

namespace cataloom {

class CatalogFolder;

// The system image list index of an entry inside a catalogue, by its name
// and whether it is a directory; -1 when the shell gives none.
int EntryIconIndex(const ItemId* entry, bool open) noexcept;
// The "Icon" value of the category.ini in the category folder `folder`
// (a path on disk); empty when none.
void ReadCategoryIconLocation(const char* folder, char* location, std::size_t capacity) noexcept;

// Both character sets give the same icons: the tree of the shell's browser
// asks for IExtractIconW only.
class IconExtractor final : public ComObject<IconExtractor, IExtractIconA, IExtractIconW> {
public:
    // Holds a reference on the folder and a copy of the item (check Valid()).
    IconExtractor(CatalogFolder* folder, const ItemId* item) noexcept;

    bool Valid() const noexcept { return item_ != nullptr; }

    STDMETHODIMP GetIconLocation(UINT flags, LPSTR file, UINT capacity, int* index, UINT* outFlags) noexcept override;
    STDMETHODIMP Extract(LPCSTR file, UINT index, HICON* large, HICON* small, UINT size) noexcept override;
    STDMETHODIMP GetIconLocation(UINT flags, LPWSTR file, UINT capacity, int* index, UINT* outFlags) noexcept override;
    STDMETHODIMP Extract(LPCWSTR file, UINT index, HICON* large, HICON* small, UINT size) noexcept override;

private:
    ~IconExtractor() override;

    HRESULT Locate(UINT flags, LPSTR file, UINT capacity, int* index, UINT* outFlags);
    // The "Icon" value of the category's category.ini; empty when none.
    void ReadCategoryIcon(char* location, std::size_t capacity) const;

    CatalogFolder* folder_;
    TaskMemory<ItemId> item_;
};

}  // namespace cataloom

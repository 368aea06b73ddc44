// The read-only page of one or more directories and files inside a
// catalogue: name or counts, type, where they are, size, times and
// attributes (three-state boxes for several entries).
#pragma once

#include <windows.h>

#include <vector>

#include "core/ItemId.h"
#include "tools/GdiHandles.h"
#include "tools/SheetPage.h"

namespace cataloom {

class CatalogFolder;

class FilePage final : public SheetPage {
public:
    // `entries` of `folder`, all kept alive by the owner.
    FilePage(IUnknown* owner, CatalogFolder* folder, std::vector<const ItemId*> entries);

private:
    BOOL OnInit(HWND page) override;

    void ShowIcon(HWND page);
    void ShowNameAndType(HWND page);
    void ShowPlace(HWND page);
    void ShowSize(HWND page);
    void ShowTimes(HWND page);
    void ShowAttributes(HWND page);
    bool Several() const noexcept { return entries_.size() != 1; }

    CatalogFolder* folder_;
    std::vector<const ItemId*> entries_;
    OwnedIcon icon_;
};

}  // namespace cataloom

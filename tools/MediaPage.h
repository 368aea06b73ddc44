// The page of one catalogue: its volume data, a chart of used and free
// space, and its name, which the user can change.
#pragma once

#include <windows.h>

#include "core/CatalogFile.h"
#include "core/PathUtil.h"
#include "tools/GdiHandles.h"
#include "tools/SheetPage.h"

namespace cataloom {

class MediaPage final : public SheetPage {
public:
    // The used and free colours of the chart and its legend.
    static constexpr COLORREF kUsedColour = 0x00FF0000;
    static constexpr COLORREF kFreeColour = 0x00FF00FF;

    // The catalogue file at `path`.
    MediaPage(IUnknown* owner, const char* path) noexcept;

private:
    BOOL OnInit(HWND page) override;
    bool OnApply(HWND page) override;
    INT_PTR OnMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Saves a new name; false (after telling the user) keeps the page open.
    bool Rename(HWND page, const char* name);

    char path_[kMaxPath];
    bool loaded_ = false;   // the header read and valid: the page shows it
    bool editing_ = false;  // WM_INITDIALOG done: a change of the name is the user's
    GdiObject<HBRUSH> usedBrush_;
    GdiObject<HBRUSH> freeBrush_;
    GdiObject<HBITMAP> chart_;
    OwnedIcon icon_;
};

}  // namespace cataloom

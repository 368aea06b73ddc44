// The settings page: the data folder, the folder view's colours and the
// desktop icon's default verb.  It keeps nothing of its own: every value
// comes from and goes to the settings store.
#pragma once

#include "tools/SheetPage.h"

namespace cataloom {

class OptionsPage final : public SheetPage {
public:
    explicit OptionsPage(IUnknown* owner) noexcept;

private:
    BOOL OnInit(HWND page) override;
    bool OnApply(HWND page) override;
    INT_PTR OnMessage(HWND page, UINT message, WPARAM wParam, LPARAM lParam) override;

    void BrowseForFolder(HWND page) noexcept;
    // Colours are stored as soon as they are chosen, not at apply.
    void ChooseColour(HWND page, int id) noexcept;
    // The typed data folder exists as a folder, or was created after the
    // user agreed; false (after telling the user) refuses the apply.
    bool AcceptDataFolder(HWND page, const char* typed) noexcept;
};

}  // namespace cataloom

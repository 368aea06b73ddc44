#include "view/ViewMenus.h"

#include <shlobj.h>

#include <initializer_list>

#include "view/ViewCommand.h"

namespace cataloom {
namespace {


// Inserts `entries` from `position` on, in order.
void InsertEntries(HMENU popup, UINT position, std::initializer_list<UINT> commands) noexcept {
    for (UINT command : commands) {
        if (command == kCommandSeparator) {
            InsertSeparatorEntry(popup, position++, kCommandSeparator);
        } else {
            InsertCommandEntry(popup, position++, command, command);
        }
    }
}

// The position of the entry with identifier `id`; the end when none.
UINT PositionOf(HMENU popup, UINT id) noexcept {
    const int count = GetMenuItemCount(popup);
    for (int i = 0; i < count; ++i) {
        if (GetMenuItemID(popup, i) == id) return static_cast<UINT>(i);
    }
    return count > 0 ? static_cast<UINT>(count) : 0;
}

}  // namespace

ViewMenus::~ViewMenus() {
    if (menu_ != nullptr) DestroyMenu(menu_);
}

void ViewMenus::Rebuild(const BrowserLink& browser, UINT state, Listing listing, HWND window) noexcept {
    Remove(browser);
    if (state == SVUIA_DEACTIVATE) return;
    menu_ = CreateMenu();
    if (menu_ == nullptr) return;
    OLEMENUGROUPWIDTHS widths = {};
    if (FAILED(browser.InsertMenus(menu_, &widths))) {
        DestroyMenu(menu_);
        menu_ = nullptr;
        return;
    }
    Fill(listing);
    browser.SetMenu(menu_, window);
}

void ViewMenus::Remove(const BrowserLink& browser) noexcept {
    if (menu_ == nullptr) return;
    if (browser.Attached()) {
        browser.SetMenu(nullptr, nullptr);
        browser.RemoveMenus(menu_);
    }
    DestroyMenu(menu_);
    menu_ = nullptr;
}

void ViewMenus::Fill(Listing listing) noexcept {
    // A popup the browser does not have gets nothing; the others still do.
    if (HMENU file = SubMenuOf(menu_, FCIDM_MENU_FILE); file != nullptr && listing == Listing::kMedia) {
        InsertEntries(file, 0, {kCommandNewCategory, kCommandEditCategory, kCommandDelete, kCommandSeparator});
        TidyPopup(file);
    }
    if (HMENU edit = SubMenuOf(menu_, FCIDM_MENU_EDIT)) {
        InsertEntries(edit, 0,
                      {kCommandSelectAll, kCommandInvertSelection, kCommandSeparator, kCommandProperties,
                       kCommandSeparator});
        TidyPopup(edit);
    }
    if (HMENU view = SubMenuOf(menu_, FCIDM_MENU_VIEW)) {
        InsertEntries(view, PositionOf(view, FCIDM_MENU_VIEW_SEP_OPTIONS),
                      {kCommandSeparator, kCommandLargeIcons, kCommandSmallIcons, kCommandList, kCommandDetails});
        TidyPopup(view);
    }
    if (HMENU help = SubMenuOf(menu_, FCIDM_MENU_HELP)) {
        InsertEntries(help, 0, {kCommandAbout, kCommandSeparator});
        TidyPopup(help);
    }
}

void ViewMenus::MarkViewMode(HMENU popup, bool windowMenu, UINT viewMode) noexcept {
    if (windowMenu || popup == nullptr) return;
    UINT checked = kCommandDetails;
    switch (viewMode) {
    case FVM_ICON: checked = kCommandLargeIcons; break;
    case FVM_SMALLICON: checked = kCommandSmallIcons; break;
    case FVM_LIST: checked = kCommandList; break;
    default: break;
    }
    CheckMenuRadioItem(popup, kCommandLargeIcons, kCommandDetails, checked, MF_BYCOMMAND);
}

}  // namespace cataloom

#include "browser/BrowserMenus.h"

#include "resources/CataloomBrowserResource.h"

namespace cataloom {
namespace {

struct PopupInfo {
    UINT id;
    UINT text;
};
constexpr PopupInfo kPopups[] = {
    {FCIDM_MENU_FILE, IDS_MENU_FILE},
    {FCIDM_MENU_EDIT, IDS_MENU_EDIT},
    {FCIDM_MENU_VIEW, IDS_MENU_VIEW},
    {FCIDM_MENU_HELP, IDS_MENU_HELP},
};

bool AppendText(HINSTANCE instance, HMENU menu, UINT id, UINT text) {
    wchar_t label[128];
    LoadStringW(instance, text, label, 128);
    return AppendMenuW(menu, MF_STRING, id, label) != FALSE;
}

HMENU CreatePopup(HINSTANCE instance, UINT id) {
    HMENU popup = CreatePopupMenu();
    if (popup == nullptr) return nullptr;
    bool filled = true;
    switch (id) {
    case FCIDM_MENU_FILE:
        filled = AppendText(instance, popup, kCommandClose, IDS_COMMAND_CLOSE);
        break;
    case FCIDM_MENU_VIEW:
        filled = AppendText(instance, popup, kCommandBack, IDS_COMMAND_BACK) &&
                 AppendText(instance, popup, kCommandUp, IDS_COMMAND_UP) &&
                 AppendMenuW(popup, MF_SEPARATOR, FCIDM_MENU_VIEW_SEP_OPTIONS, nullptr) &&
                 AppendText(instance, popup, kCommandRefresh, IDS_COMMAND_REFRESH);
        break;
    case FCIDM_MENU_HELP:
        filled = AppendText(instance, popup, kCommandAbout, IDS_COMMAND_ABOUT);
        break;
    default:  // Edit: the view's entries only
        break;
    }
    if (!filled) {
        DestroyMenu(popup);
        return nullptr;
    }
    return popup;
}

bool AppendPopups(HINSTANCE instance, HMENU menu) {
    for (const PopupInfo& info : kPopups) {
        HMENU popup = CreatePopup(instance, info.id);
        if (popup == nullptr) return false;
        wchar_t label[64];
        LoadStringW(instance, info.text, label, 64);
        MENUITEMINFOW item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        item.wID = info.id;
        item.hSubMenu = popup;
        item.dwTypeData = label;
        if (!InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &item)) {
            DestroyMenu(popup);
            return false;
        }
    }
    return true;
}

}  // namespace

HMENU BrowserMenus::CreateMenuBar(HINSTANCE instance) noexcept {
    HMENU bar = CreateMenu();
    if (bar != nullptr && !AppendPopups(instance, bar)) {
        DestroyMenu(bar);
        return nullptr;
    }
    return bar;
}

bool BrowserMenus::AddPopups(HINSTANCE instance, HMENU shared, OLEMENUGROUPWIDTHS* widths) noexcept {
    if (shared == nullptr || !AppendPopups(instance, shared)) return false;
    if (widths != nullptr) {
        widths->width[0] = 2;  // File and Edit
        widths->width[2] = 1;  // View
        widths->width[4] = 1;  // Help
    }
    return true;
}

void BrowserMenus::RemovePopups(HMENU shared) noexcept {
    for (const PopupInfo& info : kPopups) {
        MENUITEMINFOW item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_SUBMENU;
        if (GetMenuItemInfoW(shared, info.id, FALSE, &item) && item.hSubMenu != nullptr) {
            RemoveMenu(shared, info.id, MF_BYCOMMAND);
            DestroyMenu(item.hSubMenu);
        }
    }
}

HACCEL BrowserMenus::CreateAccelerators() noexcept {
    ACCEL keys[] = {
        {FVIRTKEY | FALT, VK_LEFT, static_cast<WORD>(kCommandBack)},
        {FVIRTKEY, VK_BACK, static_cast<WORD>(kCommandUp)},
        {FVIRTKEY, VK_F5, static_cast<WORD>(kCommandRefresh)},
    };
    return CreateAcceleratorTableW(keys, sizeof keys / sizeof keys[0]);
}

}  // namespace cataloom

#include "view/ViewCommands.h"

#include <commctrl.h>
#include <shlobj.h>
#include <windowsx.h>

#include <algorithm>

#include "core/PathUtil.h"
#include "core/TaskMemory.h"
#include "namespace/CatalogFolder.h"
#include "namespace/ComPtr.h"
#include "namespace/ComResult.h"
#include "namespace/ShellUtil.h"
#include "resources/CataloomResource.h"
#include "resources/Version.h"
#include "view/FolderView.h"
#include "view/ViewCommand.h"

namespace cataloom {
namespace {

constexpr UINT kLastMenuCommand = 0x7FFF;

// Keeps the view alive while a command runs: a command may end in a modal
// loop (a sheet, a message box) in which the browser lets the view go.
class ViewHold {
public:
    explicit ViewHold(FolderView& view) noexcept : view_(view) { view_.AddRef(); }
    ~ViewHold() { view_.Release(); }
    ViewHold(const ViewHold&) = delete;
    ViewHold& operator=(const ViewHold&) = delete;

private:
    FolderView& view_;
};

class PopupMenu {
public:
    PopupMenu() noexcept : menu_(CreatePopupMenu()) {}
    ~PopupMenu() {
        if (menu_ != nullptr) DestroyMenu(menu_);
    }
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;
    HMENU Get() const noexcept { return menu_; }

private:
    HMENU menu_;
};

bool IsKeyboardMessage(UINT message) noexcept { return message >= WM_KEYFIRST && message <= 0x108; }

}  // namespace

ViewCommands::ViewCommands(FolderView& view) noexcept : view_(view) {
    ACCEL keys[] = {
        {FVIRTKEY, VK_INSERT, static_cast<WORD>(kCommandNewCategory)},
        {FVIRTKEY, VK_DELETE, static_cast<WORD>(kCommandDelete)},
        {FVIRTKEY | FALT, 'M', static_cast<WORD>(kCommandEditCategory)},
        {FVIRTKEY | FCONTROL, 'A', static_cast<WORD>(kCommandSelectAll)},
        {FVIRTKEY | FALT, VK_RETURN, static_cast<WORD>(kCommandProperties)},
    };
    accelerators_ = CreateAcceleratorTableA(keys, sizeof keys / sizeof keys[0]);
}

ViewCommands::~ViewCommands() {
    if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
}

HRESULT ViewCommands::TranslateAccelerator(MSG* message) noexcept {
    if (message == nullptr) return E_INVALIDARG;
    HWND window = view_.Window();
    if (window == nullptr || (message->hwnd != window && !IsChild(window, message->hwnd))) return S_FALSE;
    if (view_.Editing()) {
        // The label editor takes every key, Delete and Insert included.
        if (!IsKeyboardMessage(message->message)) return S_FALSE;
        TranslateMessage(message);
        DispatchMessageW(message);  // shells run Unicode message loops
        return S_OK;
    }
    return Translate(*message) ? S_OK : S_FALSE;
}

bool ViewCommands::Translate(MSG& message) noexcept {
    return accelerators_ != nullptr && ::TranslateAcceleratorA(view_.Window(), accelerators_, &message) != 0;
}

void ViewCommands::WatchKeys(HWND list) noexcept {
    if (list != nullptr) SetWindowSubclass(list, ListKeyProcedure, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK ViewCommands::ListKeyProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                                DWORD_PTR data) {
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
        auto* commands = reinterpret_cast<ViewCommands*>(data);
        // A browser that passed the key to TranslateAccelerator has taken
        // it already if it was one of the view's.
        MSG key = {window, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
        if (!commands->view_.Editing() && commands->Translate(key)) return 0;
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(window, ListKeyProcedure, 1);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

HRESULT ViewCommands::ItemMenu(IContextMenu** out) noexcept {
    void** object = reinterpret_cast<void**>(out);
    HRESULT hr = view_.GetItemObject(SVGIO_SELECTION, IID_IContextMenu, object);
    if (FAILED(hr) || *out == nullptr) hr = view_.GetItemObject(SVGIO_BACKGROUND, IID_IContextMenu, object);
    return FAILED(hr) ? hr : (*out != nullptr ? S_OK : E_FAIL);
}

void ViewCommands::OnCommand(UINT command) noexcept {
    if (view_.Editing()) return;
    ViewHold hold(view_);
    ComPtr<IContextMenu> menu;
    if (SUCCEEDED(ItemMenu(menu.Put())) && SUCCEEDED(InvokeMenuCommand(menu.Get(), view_.Window(), command))) return;
    HandleOwnCommand(command);
}

void ViewCommands::HandleOwnCommand(UINT command) noexcept {
    switch (command) {
    case kCommandNewCategory:
        CreateNewCategory(view_);
        break;
    case kCommandAbout:
        ShowAbout();
        break;
    case kCommandSelectAll:
        SelectAll();
        view_.FocusList();
        break;
    case kCommandInvertSelection:
        InvertSelection();
        view_.FocusList();
        break;
    default:
        break;
    }
}

void ViewCommands::OnContextMenu(LPARAM position) noexcept {
    HWND list = view_.ListWindow();
    if (list == nullptr) return;
    ViewHold hold(view_);
    const bool selected = SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) > 0;
    ComPtr<IContextMenu> menu;
    HRESULT hr = view_.GetItemObject(selected ? SVGIO_SELECTION : SVGIO_BACKGROUND, IID_IContextMenu,
                                     menu.PutVoid());
    if (FAILED(hr) || !menu) return;
    PopupMenu popup;
    if (popup.Get() == nullptr) return;
    const UINT flags = view_.HasControl(FCW_TREE) ? CMF_EXPLORE : CMF_NORMAL;
    if (FAILED(menu->QueryContextMenu(popup.Get(), 0, 0, kLastMenuCommand, flags))) return;
    const POINT at = ContextMenuPoint(position, list);
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(popup.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, view_.Window(), nullptr));
    // Straight to the item menu: the view's own fallbacks are not for these.
    if (chosen >= 1 && chosen < kLastMenuCommand) InvokeMenuCommand(menu.Get(), view_.Window(), chosen);
}

void ViewCommands::RunDefault() noexcept {
    ViewHold hold(view_);
    ComPtr<IContextMenu> menu;
    if (FAILED(view_.GetItemObject(SVGIO_SELECTION, IID_IContextMenu, menu.PutVoid())) || !menu) return;
    PopupMenu popup;
    const UINT flags = CMF_DEFAULTONLY | (view_.HasControl(FCW_TREE) ? CMF_EXPLORE : 0);
    if (popup.Get() == nullptr || FAILED(menu->QueryContextMenu(popup.Get(), 0, 0, kLastMenuCommand, flags))) return;
    const UINT command = GetMenuDefaultItem(popup.Get(), FALSE, 0);
    if (command != static_cast<UINT>(-1)) InvokeMenuCommand(menu.Get(), view_.Window(), command);
}

void ViewCommands::SelectAll() noexcept {
    LVITEMA row = {};
    row.stateMask = LVIS_SELECTED;
    row.state = LVIS_SELECTED;
    SendMessageA(view_.ListWindow(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&row));
}

void ViewCommands::InvertSelection() noexcept {
    HWND list = view_.ListWindow();
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        LVITEMA row = {};
        row.stateMask = LVIS_SELECTED;
        row.state = (SendMessageA(list, LVM_GETITEMSTATE, i, LVIS_SELECTED) & LVIS_SELECTED) != 0 ? 0 : LVIS_SELECTED;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&row));
    }
}

void ViewCommands::ShowAbout() noexcept {
    // The options page shows the same version and copyright lines.
    char name[64];
    LoadResourceText(IDS_PRODUCT_NAME, name, sizeof name);
    char text[256];
    wsprintfA(text, "%s\n%s\n%s", name, CATALOOM_VERSION_LINE, CATALOOM_COPYRIGHT_TEXT);
    ShowLibraryMessage(view_.Window(), text, MB_OK | MB_ICONINFORMATION);
}

HRESULT InvokeMenuCommand(IContextMenu* menu, HWND owner, UINT command) noexcept {
    if (menu == nullptr) return E_POINTER;
    CMINVOKECOMMANDINFO info = {};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.lpVerb = MAKEINTRESOURCEA(command);
    info.nShow = SW_SHOWNORMAL;
    return menu->InvokeCommand(&info);
}

HRESULT CreateNewCategory(FolderView& view) noexcept {
    CatalogFolder* folder = view.Folder();
    char name[kMaxPath];
    CATALOOM_RETURN_IF_FAILED(folder->NewCategoryName(name, sizeof name));
    ItemId* created = nullptr;
    HRESULT hr = folder->CreateCategory(name, &created);
    TaskMemory<ItemId> item(created);  // freed whether the view lists it or not
    if (FAILED(hr)) return hr;
    if (view.FindItem(item.Get()) >= 0) view.StartRename(item.Get());
    return S_OK;
}

POINT ContextMenuPoint(LPARAM position, HWND list) noexcept {
    POINT point = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    if (point.x != -1 || point.y != -1) return point;
    point = {0, 0};
    if (list == nullptr) return point;
    int row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (row < 0) row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    RECT area = {};
    area.left = LVIR_LABEL;
    if (row >= 0 && SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&area))) {
        // A row scrolled out of sight: the nearest point of the list.
        RECT client = {};
        GetClientRect(list, &client);
        point.x = std::clamp(area.left, client.left, client.right);
        point.y = std::clamp(area.bottom, client.top, client.bottom);
    }
    ClientToScreen(list, &point);
    return point;
}

}  // namespace cataloom

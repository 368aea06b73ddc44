// The folder view's commands, whatever their source (the shared menu, the
// view's keys, the right-click menu): each goes first to the item menu of
// the selection (or of the folder background), and the view handles what
// that menu leaves to it (new category, about, select all, invert
// selection).  Owns the view's accelerator table.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "core/ItemId.h"

namespace cataloom {

class FolderView;

class ViewCommands {
public:
    // Creates the view's accelerator table.
    explicit ViewCommands(FolderView& view) noexcept;
    ~ViewCommands();
    ViewCommands(const ViewCommands&) = delete;
    ViewCommands& operator=(const ViewCommands&) = delete;

    // IShellView::TranslateAccelerator.  Only keys meant for the view's own
    // windows: a Delete typed into the browser's address line is the line's.
    HRESULT TranslateAccelerator(MSG* message) noexcept;
    // Lets the view's keys work in browsers that never pass keys to their
    // view (Wine's): the list tries them itself before handling them.
    void WatchKeys(HWND list) noexcept;
    // WM_COMMAND of the view window.
    void OnCommand(UINT command) noexcept;
    // WM_CONTEXTMENU of the view window.
    void OnContextMenu(LPARAM position) noexcept;
    // A double click or Enter: the default entry of the selection's menu.
    void RunDefault() noexcept;

private:
    static LRESULT CALLBACK ListKeyProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR id, DWORD_PTR data);
    bool Translate(MSG& message) noexcept;
    // The item menu of the selection, else of the background.
    HRESULT ItemMenu(IContextMenu** out) noexcept;
    void HandleOwnCommand(UINT command) noexcept;
    void SelectAll() noexcept;
    void InvertSelection() noexcept;
    void ShowAbout() noexcept;

    FolderView& view_;
    HACCEL accelerators_ = nullptr;
};

// Runs command `command` of an item menu on behalf of the view window
// `owner` (numeric verb, structure size from sizeof).
HRESULT InvokeMenuCommand(IContextMenu* menu, HWND owner, UINT command) noexcept;

// The new-category steps: an unused name, the category created through the
// folder and, when `view` lists it, its name opened for editing.
HRESULT CreateNewCategory(FolderView& view) noexcept;

// Where the item menu opens, in screen coordinates: the position of a
// WM_CONTEXTMENU, each coordinate signed (a monitor left of or above the
// main one has negative ones); for a menu asked from the keyboard (-1, -1),
// below the left edge of the list's focused item (else its first selected
// one, else the list's corner).
POINT ContextMenuPoint(LPARAM position, HWND list) noexcept;

}  // namespace cataloom

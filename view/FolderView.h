// The shell view of a namespace folder: one child window in the browser that
// holds a list view of the folder's items, with texts and icons asked of the
// folder on demand, sorting by column through its CompareIDs, in-place rename
// of categories and the item count in the browser's status bar.  Created by
// the folder's CreateViewObject; listed in the view list while its window
// exists, so every change a folder operation makes reaches it.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "core/ItemId.h"
#include "core/TaskMemory.h"
#include "namespace/ComObject.h"
#include "namespace/ItemColumns.h"
#include "namespace/ListedView.h"
#include "view/BrowserLink.h"
#include "view/ItemList.h"
#include "view/SortKey.h"
#include "view/ViewDropTarget.h"
#include "view/ViewCommands.h"
#include "view/ViewMenus.h"

namespace cataloom {

class CatalogFolder;

class FolderView final : public ComObject<FolderView, IShellView> {
public:
    static constexpr char kWindowClass[] = "CataloomNameSpaceView";

    // Holds a reference on `folder` for the view's life.
    explicit FolderView(CatalogFolder* folder) noexcept;

    // IShellView answers IOleWindow too.
    void* QueryExtra(REFIID iid) noexcept;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* out) noexcept override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enter) noexcept override;
    // IShellView
    STDMETHODIMP TranslateAccelerator(MSG* message) noexcept override;
    STDMETHODIMP EnableModeless(BOOL enable) noexcept override;
    STDMETHODIMP UIActivate(UINT state) noexcept override;
    STDMETHODIMP Refresh() noexcept override;
    STDMETHODIMP CreateViewWindow(IShellView* previous, LPCFOLDERSETTINGS settings, IShellBrowser* browser,
                                  RECT* rect, HWND* out) noexcept override;
    STDMETHODIMP DestroyViewWindow() noexcept override;
    STDMETHODIMP GetCurrentInfo(LPFOLDERSETTINGS out) noexcept override;
    STDMETHODIMP AddPropertySheetPages(DWORD reserved, LPFNSVADDPROPSHEETPAGE add, LPARAM parameter) noexcept override;
    STDMETHODIMP SaveViewState() noexcept override;
    STDMETHODIMP SelectItem(PCUITEMID_CHILD item, SVSIF flags) noexcept override;
    STDMETHODIMP GetItemObject(UINT which, REFIID iid, void** out) noexcept override;

    // Operations of the view used by the view list and the view's commands.
    // Items are one-record lists relative to the folder.
    int FindItem(const ItemId* item) const noexcept;
    int AddItem(const ItemId* item) noexcept;
    void RemoveItem(const ItemId* item) noexcept;
    void UpdateItem(const ItemId* item) noexcept;
    // Gives the row of `oldItem` a copy of `newItem`; redraws it unless its
    // label is being edited.
    void RenameItem(const ItemId* oldItem, const ItemId* newItem) noexcept;
    // Empties and refills the list; inside one of the list's own
    // notifications the refill is posted and runs after it.
    void RefreshList() noexcept;
    // New absolute lists: the folder's, and the folder's joined with `item`.
    ItemId* FolderIdentifier() const noexcept;
    ItemId* ItemIdentifier(const ItemId* item) const noexcept;
    // Asks the browser to browse to `absolute`.  Posted: the browser destroys
    // this view on the way, which must not happen inside its own handlers.
    HRESULT BrowseTo(const ItemId* absolute, UINT flags) noexcept;

    // Used by the view's menus and commands and by the item menu.
    // The view whose window `window` is, with a reference; null for any
    // other window (another class, module or process).
    static FolderView* FromWindow(HWND window) noexcept;
    HWND Window() const noexcept { return window_; }
    HWND ListWindow() const noexcept { return list_.Window(); }
    CatalogFolder* Folder() const noexcept { return folder_; }
    bool Editing() const noexcept { return editing_; }
    bool HasControl(UINT id) const noexcept { return browser_.HasControl(id); }
    HRESULT StartRename(const ItemId* item) noexcept;
    // Mode index 0 large icons, 1 details, 2 small icons, 3 list; others
    // details.  Kept for the views opened later too.
    void SetViewMode(int modeIndex) noexcept;
    void FocusList() noexcept;

private:
    // The view list calls the view through this (IShellView has a Refresh of
    // its own).
    class ListedAdapter final : public ListedView {
    public:
        explicit ListedAdapter(FolderView& view) noexcept : view_(view) {}
        void Refresh() override { view_.RefreshList(); }
        int AddItem(const ItemId* item) override { return view_.AddItem(item); }
        void RemoveItem(const ItemId* item) override { view_.RemoveItem(item); }
        void UpdateItem(const ItemId* item) override { view_.UpdateItem(item); }
        void RenameItem(const ItemId* oldItem, const ItemId* newItem) override { view_.RenameItem(oldItem, newItem); }
        ItemId* FolderIdentifier() override { return view_.FolderIdentifier(); }

    private:
        FolderView& view_;
    };

    ~FolderView() override;

    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCreate();
    void OnDestroyed() noexcept;
    LRESULT OnNotify(const NMHDR& header);
    LRESULT OnListNotify(const NMHDR& header);
    void OnGetDispInfo(NMLVDISPINFOA& info);
    LRESULT OnBeginLabelEdit(const NMLVDISPINFOA& info);
    LRESULT OnEndLabelEdit(const NMLVDISPINFOA& info);
    void OnBrowse();

    bool CreateList();
    DWORD ListStyle() noexcept;
    // False when the folder could not be listed.
    bool Fill();
    // Posts a browse to the nearest folder above this one that still lists.
    void LeaveVanishedFolder() noexcept;
    int IconIndex(const ItemId* item);
    void Activate();
    void UpdateStatus();
    // Posts one of the view's deferred tasks unless it is already pending.
    void Post(UINT message, bool& pending) noexcept;

    CatalogFolder* folder_;
    Listing listing_;
    SortKey sortKey_;
    BrowserLink browser_;
    UINT viewMode_ = FVM_DETAILS;
    UINT folderFlags_ = 0;
    UINT uiState_ = SVUIA_DEACTIVATE;
    HWND window_ = nullptr;
    HWND parent_ = nullptr;
    ItemList list_;
    ViewDropRegistration dropTarget_;  // after the list: revoked before it goes
    bool editing_ = false;
    int notifying_ = 0;  // depth of the list's notifications being handled
    bool refreshPending_ = false;
    bool statusPending_ = false;
    bool widthsPending_ = false;
    TaskMemory<ItemId> pendingBrowse_;
    UINT pendingBrowseFlags_ = 0;
    ListedAdapter listed_{*this};
    ViewMenus menus_;
    ViewCommands commands_{*this};
};

}  // namespace cataloom

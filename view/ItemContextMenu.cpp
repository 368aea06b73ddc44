#include "view/ItemContextMenu.h"

#include <commctrl.h>
#include <prsht.h>
#include <shlwapi.h>

#include <algorithm>
#include <new>

#include "core/ItemIdFactory.h"
#include "core/PathUtil.h"
#include "core/StoredName.h"
#include "namespace/CatalogFolder.h"
#include "namespace/ComPtr.h"
#include "namespace/ComResult.h"
#include "namespace/ProcessObjects.h"
#include "namespace/ProgramLauncher.h"
#include "namespace/SearcherOpener.h"
#include "namespace/ShellUtil.h"
#include "resources/CataloomResource.h"
#include "view/FolderView.h"
#include "view/ViewCommand.h"
#include "view/ViewCommands.h"

namespace cataloom {
namespace {

using Ids = ItemIdFactory;

constexpr SFGAOF kMenuAttributes = SFGAO_FOLDER | SFGAO_CANDELETE | SFGAO_CANRENAME | SFGAO_CANMOVE | SFGAO_CANCOPY;
constexpr std::size_t kMaxSheetPages = 32;
constexpr std::size_t kCaptionCapacity = 260;
// As much as the Searcher takes: a namespace address deep inside a
// catalogue is longer than a file path.
constexpr std::size_t kLocationCapacity = 520;

// The shell's array type for our item copies.
PCUITEMID_CHILD_ARRAY AsChildArray(const std::vector<const ItemId*>& items) noexcept {
    return reinterpret_cast<PCUITEMID_CHILD_ARRAY>(const_cast<const ItemId**>(items.data()));
}

bool IsDirectoryEntry(const ItemId* item) noexcept {
    return Ids::Kind(item) == kKindEntry && Ids::EntryIsDirectory(item);
}

// Inserts entries from one position on, handing out only identifiers from
// `first` to `last`, and keeps the largest offset used.
class MenuFiller {
public:
    MenuFiller(HMENU menu, UINT position, UINT first, UINT last) noexcept
        : menu_(menu), position_(position), first_(first), last_(last) {}

    bool Fits(UINT offset) const noexcept { return last_ >= first_ && offset <= last_ - first_; }
    void Command(UINT offset, UINT state = MFS_ENABLED, HMENU submenu = nullptr) noexcept {
        if (Fits(offset) && InsertCommandEntry(menu_, position_, offset, first_ + offset, state, submenu)) {
            ++position_;
            Use(offset);
        }
    }
    void Separator() noexcept {
        const bool fits = Fits(kCommandSeparator);
        if (!InsertSeparatorEntry(menu_, position_, fits ? first_ + kCommandSeparator : 0)) return;
        ++position_;
        if (fits) Use(kCommandSeparator);
    }
    // The "表示(&V)" submenu with the four view modes.
    void ViewModes() noexcept {
        if (!Fits(kCommandViewMenu)) return;
        HMENU modes = CreatePopupMenu();
        if (modes == nullptr) return;
        MenuFiller inner(modes, 0, first_, last_);
        for (UINT mode : {kCommandLargeIcons, kCommandSmallIcons, kCommandList, kCommandDetails}) inner.Command(mode);
        if (GetMenuItemCount(modes) <= 0) {
            DestroyMenu(modes);
            return;
        }
        const UINT before = position_;
        Command(kCommandViewMenu, MFS_ENABLED, modes);
        if (position_ == before) {
            DestroyMenu(modes);
            return;
        }
        Use(inner.largest_);
    }
    UINT Used() const noexcept { return used_ ? largest_ + 1 : 0; }

private:
    void Use(UINT offset) noexcept {
        largest_ = used_ ? std::max(largest_, offset) : offset;
        used_ = true;
    }

    HMENU menu_;
    UINT position_;
    UINT first_;
    UINT last_;
    UINT largest_ = 0;
    bool used_ = false;
};

// The pages an extension adds, up to the sheet's limit.
struct SheetPages {
    HPROPSHEETPAGE pages[kMaxSheetPages] = {};
    UINT count = 0;

    ~SheetPages() {
        // Pages never handed to a sheet are ours to destroy.
        for (UINT i = 0; i < count; ++i) DestroyPropertySheetPage(pages[i]);
    }
    static BOOL CALLBACK Add(HPROPSHEETPAGE page, LPARAM parameter) {
        auto* self = reinterpret_cast<SheetPages*>(parameter);
        if (page == nullptr || self->count >= kMaxSheetPages) return FALSE;
        self->pages[self->count++] = page;
        return TRUE;
    }
};

// The view of a window, released on destruction.
class ViewOfWindow {
public:
    explicit ViewOfWindow(HWND window) noexcept : view_(FolderView::FromWindow(window)) {}
    ~ViewOfWindow() {
        if (view_ != nullptr) view_->Release();
    }
    ViewOfWindow(const ViewOfWindow&) = delete;
    ViewOfWindow& operator=(const ViewOfWindow&) = delete;
    FolderView* Get() const noexcept { return view_; }

private:
    FolderView* view_;
};

// True when a delete in `folder` goes to the Recycle Bin: on fixed drives.
// Elsewhere (network, removable media) the shell deletes for good.
bool DeletesToRecycleBin(const char* folder) noexcept {
    char root[kMaxPath];
    if (!GetVolumePathNameA(folder, root, sizeof root)) return false;
    return GetDriveTypeA(root) == DRIVE_FIXED;
}

}  // namespace

ItemContextMenu::ItemContextMenu(CatalogFolder* folder, UINT count, const ItemId* const* items) : folder_(folder) {
    folder_->AddRef();
    const ItemIdFactory& ids = ProcessObjects::ItemIds();
    for (UINT i = 0; i < count && items != nullptr; ++i) {
        copies_.emplace_back(ids.Copy(items[i]));
        if (copies_.back() == nullptr) valid_ = false;
        items_.push_back(copies_.back().Get());
    }
}

ItemContextMenu::~ItemContextMenu() { folder_->Release(); }

HRESULT ItemContextMenu::Create(CatalogFolder* folder, HWND, UINT count, const ItemId* const* items, REFIID iid,
                                void** out) {
    if (folder == nullptr) return E_NOINTERFACE;  // no menu without a folder
    if (count > 0 && items == nullptr) return E_INVALIDARG;
    return ComFirewall([&]() -> HRESULT {
        auto* menu = new ItemContextMenu(folder, count, items);
        HRESULT hr = menu->Valid() ? menu->QueryInterface(iid, out) : E_OUTOFMEMORY;
        menu->Release();
        return hr;
    });
}

STDMETHODIMP ItemContextMenu::Initialize(PCIDLIST_ABSOLUTE, IDataObject*, HKEY) noexcept { return S_OK; }

bool ItemContextMenu::MediaListing() const noexcept { return folder_->IsFileSystemLevel(); }

bool ItemContextMenu::OpensAsFolder() const noexcept {
    return MediaListing() || (Count() == 1 && IsDirectoryEntry(items_[0]));
}

SFGAOF ItemContextMenu::Attributes(SFGAOF mask) const noexcept {
    if (items_.empty()) return 0;
    SFGAOF attributes = mask;
    if (FAILED(folder_->GetAttributesOf(Count(), AsChildArray(items_), &attributes)))
        return 0;
    return attributes & mask;
}

STDMETHODIMP ItemContextMenu::QueryContextMenu(HMENU menu, UINT position, UINT first, UINT last,
                                               UINT flags) noexcept {
    if (menu == nullptr || !IsMenu(menu)) return E_INVALIDARG;
    return ComFirewall([&]() -> HRESULT {
        MenuFiller fill(menu, position, first, last);
        const bool explore = (flags & CMF_EXPLORE) != 0;
        const UINT openFirst = explore ? kCommandExplore : kCommandOpen;
        const UINT openSecond = explore ? kCommandOpen : kCommandExplore;
        const bool itemMenu = (flags & CMF_DEFAULTONLY) == 0 && !items_.empty();
        const bool makeDefault = (flags & CMF_NODEFAULT) == 0;
        if ((flags & CMF_DEFAULTONLY) != 0) {
            fill.Command(OpensAsFolder() ? openFirst : kCommandProperties, MFS_DEFAULT);
        } else if (items_.empty()) {
            if (MediaListing()) {
                fill.Command(kCommandNewCategory);
                fill.Separator();
            }
            fill.ViewModes();
        } else {
            const bool several = Count() > 1;
            if (!several && OpensAsFolder()) {
                fill.Command(openFirst, makeDefault ? MFS_DEFAULT : MFS_ENABLED);
                fill.Command(openSecond);
            }
            const SFGAOF attributes = Attributes(kMenuAttributes);
            if ((attributes & SFGAO_FOLDER) != 0) fill.Command(kCommandSearch, several ? MFS_GRAYED : MFS_ENABLED);
            if ((attributes & SFGAO_CANRENAME) != 0) {
                fill.Separator();
                fill.Command(kCommandRename, several ? MFS_GRAYED : MFS_ENABLED);
            }
            if ((attributes & SFGAO_CANDELETE) != 0) {
                fill.Separator();
                fill.Command(kCommandDelete);
            }
            fill.Separator();
            fill.Command(kCommandProperties);
        }
        TidyPopup(menu);
        // The first of our entries; the caller's before `position` keep their state.
        if (itemMenu && makeDefault) SetMenuDefaultItem(menu, position, TRUE);
        return MAKE_HRESULT(SEVERITY_SUCCESS, FACILITY_NULL, fill.Used());
    });
}

STDMETHODIMP ItemContextMenu::InvokeCommand(CMINVOKECOMMANDINFO* info) noexcept {
    if (info == nullptr) return E_POINTER;
    if (info->cbSize < sizeof *info) return E_INVALIDARG;
    if (!IS_INTRESOURCE(info->lpVerb)) return E_NOTIMPL;  // no verbs by name
    return ComFirewall([&]() -> HRESULT {
        const UINT command = LOWORD(reinterpret_cast<ULONG_PTR>(info->lpVerb));
        HWND owner = info->hwnd;
        ViewOfWindow view(owner);
        switch (command) {
        case kCommandExplore:
        case kCommandOpen:
            return Open(owner, view.Get(), command == kCommandExplore);
        case kCommandRename:
            return Rename(view.Get());
        case kCommandDelete:
            return Delete(owner);
        case kCommandNewCategory:
            return view.Get() != nullptr ? CreateNewCategory(*view.Get()) : S_OK;
        case kCommandProperties:
            return ShowProperties(owner);
        case kCommandLargeIcons:
        case kCommandSmallIcons:
        case kCommandList:
        case kCommandDetails: {
            static constexpr int kModeIndex[] = {0, 2, 3, 1};  // large, small, list, details
            if (view.Get() != nullptr) view.Get()->SetViewMode(kModeIndex[command - kCommandLargeIcons]);
            return S_OK;
        }
        case kCommandSearch:
            return Search(owner);
        default:
            return E_FAIL;  // the view's own commands
        }
    });
}

STDMETHODIMP ItemContextMenu::GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) noexcept { return E_NOTIMPL; }

HRESULT ItemContextMenu::Open(HWND owner, FolderView* view, bool explore) noexcept {
    for (const ItemId* item : items_) {
        TaskMemory<ItemId> absolute(folder_->ChildIdList(item));
        if (absolute == nullptr) return E_OUTOFMEMORY;
        if (view != nullptr) {
            const UINT mode = explore ? SBSP_EXPLOREMODE : SBSP_OPENMODE;
            CATALOOM_RETURN_IF_FAILED(view->BrowseTo(absolute.Get(), SBSP_SAMEBROWSER | SBSP_ABSOLUTE | mode));
            continue;
        }
        // Outside a view (the tree pane, the desktop): a window of its own.
        SHELLEXECUTEINFOW run = {};
        run.cbSize = sizeof run;
        run.fMask = SEE_MASK_IDLIST | SEE_MASK_CLASSNAME;
        run.hwnd = owner;
        run.lpVerb = explore ? L"explore" : L"open";
        run.lpClass = L"folder";
        run.lpIDList = absolute.Get();
        run.nShow = SW_SHOWNORMAL;
        LaunchProgram(&run);
    }
    return S_OK;
}

HRESULT ItemContextMenu::Rename(FolderView* view) noexcept {
    if (items_.empty() || view == nullptr) return S_OK;
    PCUITEMID_CHILD first = reinterpret_cast<PCUITEMID_CHILD>(items_[0]);
    SFGAOF attributes = SFGAO_CANRENAME;
    if (FAILED(folder_->GetAttributesOf(1, &first, &attributes)) || (attributes & SFGAO_CANRENAME) == 0)
        return E_ACCESSDENIED;
    return view->StartRename(items_[0]);
}

HRESULT ItemContextMenu::Delete(HWND owner) noexcept {
    if (items_.empty()) return S_OK;
    // Only what the folder says may go: the Delete key reaches this with any selection.
    if (Attributes(SFGAO_CANDELETE) == 0) return E_ACCESSDENIED;
    char folder[kMaxPath];
    if (folder_->FileSystemPath(nullptr, folder, sizeof folder) < 0) return E_FAIL;
    if (!DeletesToRecycleBin(folder) &&
        ShowLibraryMessage(owner, IDS_DELETE_FOR_GOOD_QUESTION, MB_YESNO | MB_ICONWARNING) != IDYES)
        return HRESULT_FROM_WIN32(ERROR_CANCELLED);
    return folder_->DeleteItems(items_.data(), Count());
}

HRESULT ItemContextMenu::ShowProperties(HWND owner) noexcept {
    if (items_.empty()) return S_OK;
    ComPtr<IShellPropSheetExt> extension;
    CATALOOM_RETURN_IF_FAILED(folder_->GetUIObjectOf(owner, Count(), AsChildArray(items_), IID_IShellPropSheetExt, nullptr, extension.PutVoid()));
    SheetPages pages;
    CATALOOM_RETURN_IF_FAILED(extension->AddPages(SheetPages::Add, reinterpret_cast<LPARAM>(&pages)));
    if (pages.count == 0) return S_OK;
    // The catalogue's recorded name (none for a category), or the entry's.
    char caption[kCaptionCapacity];
    const ItemId* first = items_[0];
    text::CopyTruncated(caption, sizeof caption,
                        VisibleName(MediaListing() ? Ids::MediaName(first) : Ids::Name(first)).c_str());
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPTITLE | PSH_NOAPPLYNOW;
    header.hwndParent = owner;
    header.hInstance = ProcessObjects::Instance();
    header.pszCaption = caption;
    header.nPages = pages.count;
    header.phpage = pages.pages;
    pages.count = 0;  // the sheet owns them now, shown or not
    PropertySheetA(&header);
    return S_OK;
}

HRESULT ItemContextMenu::Search(HWND owner) noexcept {
    if (items_.empty()) return S_OK;
    // The folder's own full name for the item, as the desktop would give it:
    // Wine's desktop cuts it to 259 characters on the way.
    auto item = reinterpret_cast<PCUITEMID_CHILD>(items_[0]);
    STRRET name = {};
    CATALOOM_RETURN_IF_FAILED(folder_->GetDisplayNameOf(item, SHGDN_FORPARSING | SHGDN_FORADDRESSBAR, &name));
    wchar_t* wide = nullptr;
    CATALOOM_RETURN_IF_FAILED(StrRetToStrW(&name, item, &wide));
    TaskMemory<wchar_t> owned(wide);
    // A location cut short would search somewhere else.
    char location[kLocationCapacity];
    if (!WideToAnsi(wide, location, sizeof location)) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    return OpenSearcher(owner, location);
}

}  // namespace cataloom

#include "namespace/CatalogAnnouncement.h"

#include <shlobj.h>

#include <cstring>
#include <new>
#include <string>

#include "core/ItemIdFactory.h"
#include "core/PathUtil.h"
#include "core/TaskMemory.h"
#include "namespace/CatalogFolder.h"
#include "settings/ClassIds.h"
#include "namespace/ComPtr.h"
#include "namespace/ComResult.h"
#include "namespace/ProcessObjects.h"
#include "namespace/ShellUtil.h"
#include "namespace/ViewList.h"
#include "settings/SettingsStore.h"

namespace cataloom {
namespace {

// The namespace root's absolute list, as the desktop gives it to the shell.
HRESULT ParseRoot(TaskMemory<ItemId>& root) {
    ComPtr<IShellFolder> desktop;
    CATALOOM_RETURN_IF_FAILED(SHGetDesktopFolder(desktop.Put()));
    std::wstring name = AnsiToWide(kFolderParsingName);
    PIDLIST_RELATIVE list = nullptr;
    CATALOOM_RETURN_IF_FAILED(desktop->ParseDisplayName(nullptr, nullptr, &name[0], nullptr, &list, nullptr));
    root.Reset(reinterpret_cast<ItemId*>(list));
    return S_OK;
}

// `relative` (below the data folder) as the namespace root parses it: one
// record per category, then the catalogue's.
HRESULT ParseBelowRoot(const ItemId* root, const char* relative, TaskMemory<ItemId>& parsed) {
    auto* top = new (std::nothrow) CatalogFolder(nullptr, "");
    if (top == nullptr) return E_OUTOFMEMORY;
    ComPtr<IShellFolder> folder;
    *folder.Put() = static_cast<IShellFolder*>(top);  // takes over the creation's reference
    CATALOOM_RETURN_IF_FAILED(top->Initialize(reinterpret_cast<PCIDLIST_ABSOLUTE>(root)));
    std::wstring name = AnsiToWide(relative);
    PIDLIST_RELATIVE list = nullptr;
    CATALOOM_RETURN_IF_FAILED(folder->ParseDisplayName(nullptr, nullptr, &name[0], nullptr, &list, nullptr));
    parsed.Reset(reinterpret_cast<ItemId*>(list));
    return ItemIdFactory::IsEnd(parsed.Get()) ? E_INVALIDARG : S_OK;
}

// The folder holding `path`, without a trailing separator (a root keeps it).
bool HoldingFolder(const char* path, char* folder) {
    if (text::CopyTruncated(folder, kMaxPath, path) != std::strlen(path) || !path::RemoveLastComponent(folder))
        return false;
    if (!path::IsRoot(folder)) path::RemoveBackslash(folder);
    return true;
}

}  // namespace

HRESULT AnnounceCatalog(const char* path, CatalogChange change, const CatalogHeader* before) noexcept {
    if (path == nullptr) return E_POINTER;
    return ComFirewall([&]() -> HRESULT {
        const bool added = change == CatalogChange::kAdded;
        char folder[kMaxPath];
        if (!HoldingFolder(path, folder)) return E_INVALIDARG;
        char dataRoot[kMaxPath];
        const char* relative = nullptr;
        if (ProcessObjects::Settings().GetEffectiveDataRoot(dataRoot, sizeof dataRoot) != 0)
            relative = path::RelativeTo(dataRoot, path);

        const ItemIdFactory& ids = ProcessObjects::ItemIds();
        TaskMemory<ItemId> root, parsed;
        HRESULT hr = relative != nullptr ? ParseRoot(root) : E_INVALIDARG;
        if (SUCCEEDED(hr)) hr = ParseBelowRoot(root.Get(), relative, parsed);
        if (FAILED(hr)) {
            NotifyShellPath(added ? SHCNE_CREATE : SHCNE_UPDATEITEM, path);
            NotifyShellPath(SHCNE_UPDATEDIR, folder);
            FlushShellNotifications();
            return hr;
        }

        TaskMemory<ItemId> full(ids.Join(root.Get(), parsed.Get()));
        TaskMemory<ItemId> item(ids.CopyFirst(ItemIdFactory::Last(parsed.Get())));
        // The holding folder: the parsed records without the catalogue's.
        const_cast<ItemId*>(ItemIdFactory::Last(parsed.Get()))->size = 0;
        TaskMemory<ItemId> holder(ids.Join(root.Get(), parsed.Get()));
        if (full == nullptr || item == nullptr || holder == nullptr) return E_OUTOFMEMORY;
        TaskMemory<ItemId> old, oldFull;
        if (!added && before != nullptr) {
            old.Reset(ids.MakeMedia(path::LastComponent(path), *before));
            if (old == nullptr) return E_OUTOFMEMORY;
            if (std::strcmp(ItemIdFactory::MediaName(old.Get()), ItemIdFactory::MediaName(item.Get())) == 0) old.Reset();
            else if ((oldFull = TaskMemory<ItemId>(ids.Join(holder.Get(), old.Get()))) == nullptr) return E_OUTOFMEMORY;
        }

        if (old != nullptr) NotifyShellIdList(SHCNE_RENAMEFOLDER, oldFull.Get(), full.Get());
        NotifyShellIdList(added ? SHCNE_CREATE : SHCNE_UPDATEITEM, full.Get());
        NotifyShellPath(SHCNE_UPDATEDIR, folder);
        // The shell's tree lists the holding folder by its namespace list.
        if (added) NotifyShellIdList(SHCNE_UPDATEDIR, holder.Get());
        FlushShellNotifications();
        // A view keeps its own copy of each item: a renamed one is replaced,
        // or the view would go on showing the old name.
        ViewList& views = ProcessObjects::Views();
        if (old != nullptr) views.Notify(SHCNE_RENAMEFOLDER, holder.Get(), old.Get(), item.Get());
        else views.Notify(added ? SHCNE_MKDIR : SHCNE_UPDATEDIR, holder.Get(), item.Get(), nullptr);
        // Views inside a renamed catalogue still hold its old identity.
        if (!added) views.RefreshWithin(old != nullptr ? oldFull.Get() : full.Get());
        return S_OK;
    });
}

}  // namespace cataloom

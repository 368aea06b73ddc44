#include "namespace/CatalogAnnouncer.h"

#include <shlobj.h>

#include <cstring>
#include <string>

#include "core/ItemIdFactory.h"
#include "core/PathUtil.h"
#include "core/TaskMemory.h"
#include "namespace/ClassIds.h"
#include "namespace/ComPtr.h"
#include "namespace/ProcessObjects.h"
#include "namespace/ShellUtil.h"
#include "namespace/ViewList.h"
#include "tools/SettingsStore.h"

namespace cataloom {
namespace {

// The namespace's own absolute list, as the desktop parses its name.
TaskMemory<ItemId> NamespaceRoot() {
    ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.Put())) || !desktop) return {};
    std::wstring name = AnsiToWide(kFolderParsingName);
    PIDLIST_RELATIVE list = nullptr;
    if (FAILED(desktop->ParseDisplayName(nullptr, nullptr, &name[0], nullptr, &list, nullptr))) return {};
    return TaskMemory<ItemId>(reinterpret_cast<ItemId*>(list));
}

// The part of `folder` below the data folder `root`, compared on a path
// component boundary: "" for the root itself, null when outside it.
const char* BelowRoot(const char* folder, const char* root) {
    const std::size_t length = std::strlen(root);
    if (std::strlen(folder) < length) return nullptr;
    // The prefix must end on a character boundary of `folder`.
    const char* end = folder;
    while (static_cast<std::size_t>(end - folder) < length) end = text::Next(end);
    if (static_cast<std::size_t>(end - folder) != length) return nullptr;
    std::string prefix(folder, length);
    if (platform::CompareNoCase(prefix.c_str(), root) != 0) return nullptr;
    if (*end == '\0') return end;
    if (path::EndsWithBackslash(root)) return end;  // a drive root
    return *end == '\\' ? end + 1 : nullptr;
}

// The absolute list of the folder that lists the catalogue at `path`: the
// namespace root joined with one category record per folder below the data
// folder.  Null for a file outside the data folder.
TaskMemory<ItemId> ContainingFolder(const char* path) {
    char root[kMaxPath] = {};
    if (ProcessObjects::Settings().GetEffectiveDataRoot(root, sizeof root) == 0) return {};
    char folder[kMaxPath];
    if (text::CopyTruncated(folder, sizeof folder, path) != std::strlen(path) || !path::RemoveLastComponent(folder))
        return {};
    if (!path::IsRoot(folder)) path::RemoveBackslash(folder);
    const char* rest = BelowRoot(folder, root);
    if (rest == nullptr) return {};

    const ItemIdFactory& ids = ProcessObjects::ItemIds();
    TaskMemory<ItemId> list = NamespaceRoot();
    while (list != nullptr && *rest != '\0') {
        const char* separator = text::FindChar(rest, '\\');
        std::string name = separator != nullptr ? std::string(rest, separator) : std::string(rest);
        // Only names an enumeration of the folder could have given.
        if (!path::IsPlainName(name.c_str())) return {};
        TaskMemory<ItemId> category(ids.MakeCategory(name.c_str()));
        if (category == nullptr) return {};
        list.Reset(ids.Join(list.Get(), category.Get()));
        rest = separator != nullptr ? separator + 1 : "";
    }
    return list;
}

}  // namespace

void CatalogAnnouncer::Created(const char* path) noexcept { Announce(path, nullptr, true); }

void CatalogAnnouncer::Changed(const char* path, const CatalogHeader* before) noexcept {
    Announce(path, before, false);
}

void CatalogAnnouncer::Announce(const char* path, const CatalogHeader* before, bool created) noexcept {
    if (path == nullptr || *path == '\0') return;
    try {
        NotifyShellPath(created ? SHCNE_CREATE : SHCNE_UPDATEITEM, path);
        const ItemIdFactory& ids = ProcessObjects::ItemIds();
        CatalogHeader header;
        TaskMemory<ItemId> folder = ContainingFolder(path);
        const char* fileName = path::LastComponent(path);
        if (folder == nullptr || !ReadHeader(path, &header) || !IsCatalogHeader(&header)) {
            FlushShellNotifications();
            return;
        }
        TaskMemory<ItemId> item(ids.MakeMedia(fileName, header));
        TaskMemory<ItemId> old(before != nullptr ? ids.MakeMedia(fileName, *before) : nullptr);
        TaskMemory<ItemId> full(ids.Join(folder.Get(), item.Get()));
        if (item == nullptr || full == nullptr || (before != nullptr && old == nullptr)) {
            FlushShellNotifications();
            return;
        }
        if (created) {
            NotifyShellIdList(SHCNE_CREATE, full.Get());
            NotifyShellIdList(SHCNE_UPDATEDIR, folder.Get());
        } else {
            // The name is part of a catalogue's identity: to the shell a
            // renamed catalogue is another item.
            if (old != nullptr) {
                TaskMemory<ItemId> oldFull(ids.Join(folder.Get(), old.Get()));
                if (oldFull != nullptr) NotifyShellIdList(SHCNE_RENAMEFOLDER, oldFull.Get(), full.Get());
            }
            NotifyShellIdList(SHCNE_UPDATEITEM, full.Get());
        }
        FlushShellNotifications();
        // A view keeps its own copy of each item: a changed header replaces
        // it, or the view would go on showing the old name and sizes.
        ViewList& views = ProcessObjects::Views();
        if (created) {
            views.Notify(SHCNE_MKDIR, folder.Get(), item.Get(), nullptr);
        } else if (old != nullptr) {
            views.Notify(SHCNE_RENAMEFOLDER, folder.Get(), old.Get(), item.Get());
        } else {
            views.Notify(SHCNE_UPDATEDIR, folder.Get(), item.Get(), nullptr);
        }
    } catch (...) {
        // Without memory for the names the views stay as they are.
        FlushShellNotifications();
    }
}

}  // namespace cataloom

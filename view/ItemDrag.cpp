#include "view/ItemDrag.h"

#include <new>
#include <vector>

#include "core/ItemIdFactory.h"
#include "core/TaskMemory.h"
#include "namespace/ComPtr.h"
#include "namespace/ProcessObjects.h"
#include "namespace/ShellUtil.h"
#include "view/FolderView.h"
#include "view/ItemDropSource.h"
#include "view/ItemList.h"

namespace cataloom {
namespace {

constexpr UINT kOutOfMemoryText = 100;

}  // namespace

DWORD ItemDrag::Run(FolderView& view, const ItemList& items, HWND owner) noexcept {
    try {
        // Copies: a drop into this very view refills its rows meanwhile.
        std::vector<TaskMemory<ItemId>> dragged;
        const ItemIdFactory& ids = ProcessObjects::ItemIds();
        for (const ItemId* item : items.Collect(true)) {
            dragged.emplace_back(ids.Copy(item));
            if (dragged.back() == nullptr) throw std::bad_alloc();
        }
        if (dragged.empty()) {
            MessageBeep(0);
            return DROPEFFECT_NONE;
        }
        ComPtr<IDataObject> data;
        if (FAILED(view.GetItemObject(SVGIO_SELECTION, IID_IDataObject, data.PutVoid())) || !data)
            return DROPEFFECT_NONE;
        ComPtr<IDropSource> source;
        *source.Put() = new (std::nothrow) ItemDropSource();
        if (!source) throw std::bad_alloc();

        DWORD effect = DROPEFFECT_NONE;
        const HRESULT hr = DoDragDrop(data.Get(), source.Get(), DROPEFFECT_MOVE, &effect);
        if (hr != DRAGDROP_S_DROP || (effect & DROPEFFECT_MOVE) == 0) return DROPEFFECT_NONE;
        for (const TaskMemory<ItemId>& item : dragged) {
            TaskMemory<ItemId> absolute(view.ItemIdentifier(item.Get()));
            if (absolute == nullptr) continue;
            NotifyShellIdList(ItemIdFactory::Kind(item.Get()) == kKindCategory ? SHCNE_RMDIR : SHCNE_DELETE,
                              absolute.Get());
        }
        FlushShellNotifications();
        view.RefreshList();
        return effect;
    } catch (const std::bad_alloc&) {
        ShowLibraryMessage(owner, kOutOfMemoryText, MB_OK | MB_ICONERROR);
        return DROPEFFECT_NONE;
    } catch (...) {
        return DROPEFFECT_NONE;
    }
}

}  // namespace cataloom

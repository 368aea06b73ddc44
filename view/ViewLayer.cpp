#include "view/ViewLayer.h"

#include <new>

#include "namespace/CatalogFolder.h"
#include "namespace/ProcessObjects.h"
#include "namespace/FolderObjects.h"
#include "view/FolderView.h"
#include "view/ItemDataObject.h"
#include "view/ItemDropTarget.h"
#include "view/NewCatalogDrop.h"
#include "view/ItemContextMenu.h"

namespace cataloom {
namespace {

HRESULT CreateViewObject(CatalogFolder* folder, HWND, UINT count, const ItemId* const*, REFIID iid, void** out) {
    // The folder's own view only, never one for items.
    if (folder == nullptr || count != 0 || !IsEqualIID(iid, IID_IShellView)) return E_NOINTERFACE;
    auto* view = new (std::nothrow) FolderView(folder);
    if (view == nullptr) return E_OUTOFMEMORY;
    HRESULT hr = view->QueryInterface(iid, out);
    view->Release();
    return hr;
}

}  // namespace

void InstallViewLayer() noexcept {
    InstallFolderObject(IID_IShellView, CreateViewObject);
    InstallFolderObject(IID_IDataObject, ItemDataObject::Create);
    InstallFolderObject(IID_IDropTarget, ItemDropTarget::Create);
    InstallFolderObject(IID_IContextMenu, ItemContextMenu::Create);
}

void UninstallViewLayer() noexcept {
    InstallFolderObject(IID_IShellView, nullptr);
    InstallFolderObject(IID_IDataObject, nullptr);
    InstallFolderObject(IID_IDropTarget, nullptr);
    NewCatalogDrop::UnregisterWindowClass();
    InstallFolderObject(IID_IContextMenu, nullptr);
    UnregisterClassA(FolderView::kWindowClass, ProcessObjects::Instance());
}

}  // namespace cataloom

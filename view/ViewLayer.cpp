#include "view/ViewLayer.h"

#include <new>

#include "namespace/CatalogFolder.h"
#include "namespace/ProcessObjects.h"
#include "namespace/ViewObjectFactory.h"
#include "view/FolderView.h"

namespace cataloom {
namespace {

HRESULT CreateViewObject(CatalogFolder& folder, HWND, REFIID iid, void** out) {
    if (!IsEqualIID(iid, IID_IShellView)) return E_NOINTERFACE;
    auto* view = new (std::nothrow) FolderView(&folder);
    if (view == nullptr) return E_OUTOFMEMORY;
    HRESULT hr = view->QueryInterface(iid, out);
    view->Release();
    return hr;
}

}  // namespace

void InstallViewLayer() noexcept { InstallViewObjectFactory(CreateViewObject); }

void UninstallViewLayer() noexcept {
    InstallViewObjectFactory(nullptr);
    UnregisterClassA(FolderView::kWindowClass, ProcessObjects::Instance());
}

}  // namespace cataloom

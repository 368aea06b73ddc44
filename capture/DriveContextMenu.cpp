#include "capture/DriveContextMenu.h"

#include <new>

#include "capture/CatalogUpdate.h"
#include "capture/CreateCatalogDialog.h"
#include "namespace/CatalogAnnouncement.h"
#include "namespace/ComResult.h"
#include "namespace/DroppedFiles.h"
#include "namespace/ShellUtil.h"
#include "platform/win32/MenuItems.h"
#include "resources/CataloomResource.h"

namespace cataloom {
namespace {

enum Command : UINT { kCreate = 0, kUpdate = 1 };

bool InsertItem(HMENU menu, UINT position, UINT id, UINT textId) {
    char text[64];
    if (!LoadResourceText(textId, text, sizeof text)) return false;
    MENUITEMINFOA item = menu::StringItem(id, text);
    return InsertMenuItemA(menu, position, TRUE, &item) != FALSE;
}

}  // namespace

IUnknown* CreateDriveContextMenu() { return static_cast<IContextMenu*>(new (std::nothrow) DriveContextMenu()); }

STDMETHODIMP DriveContextMenu::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) noexcept {
    FirstDroppedFile(data, source_, sizeof source_);
    return S_OK;
}

STDMETHODIMP DriveContextMenu::QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last,
                                                UINT flags) noexcept {
    if (menu == nullptr) return E_INVALIDARG;
    if ((flags & (CMF_DEFAULTONLY | CMF_VERBSONLY)) != 0 || first > last) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
    if (!InsertItem(menu, index, first + kCreate, IDS_CREATE_MENU_TEXT)) return E_FAIL;
    // The second id must stay inside the range the shell gave.
    if (!path::IsRoot(source_) || last - first < kUpdate ||
        !InsertItem(menu, index + 1, first + kUpdate, IDS_UPDATE_MENU_TEXT))
        return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1);
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 2);
}

STDMETHODIMP DriveContextMenu::InvokeCommand(CMINVOKECOMMANDINFO* info) noexcept {
    if (info == nullptr || info->cbSize < sizeof(CMINVOKECOMMANDINFO)) return E_INVALIDARG;
    if (!IS_INTRESOURCE(info->lpVerb)) return E_NOTIMPL;  // no verb names
    return ComFirewall([&]() -> HRESULT {
        switch (LOWORD(reinterpret_cast<UINT_PTR>(info->lpVerb))) {
        case kCreate: return Create(info->hwnd);
        case kUpdate: return Update(info->hwnd);
        default: return E_INVALIDARG;
        }
    });
}

STDMETHODIMP DriveContextMenu::GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) noexcept { return E_NOTIMPL; }

HRESULT DriveContextMenu::Create(HWND owner) {
    CaptureRequest request;
    text::CopyTruncated(request.source, sizeof request.source, source_);
    CreateCatalogDialog(request).Run(owner);
    if (request.resultFile[0] != '\0')
        AnnounceCatalog(request.resultFile, request.replaced ? CatalogChange::kReplaced : CatalogChange::kAdded);
    return S_OK;
}

HRESULT DriveContextMenu::Update(HWND owner) {
    char written[kMaxPath];
    HRESULT hr = UpdateCatalog(owner, source_, written);
    if (written[0] != '\0') AnnounceCatalog(written, CatalogChange::kReplaced);
    return hr;
}

}  // namespace cataloom

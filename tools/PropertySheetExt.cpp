#include "tools/PropertySheetExt.h"

#include <shellapi.h>

#include <new>

#include "core/CatalogFile.h"
#include "core/ItemIdFactory.h"
#include "namespace/CatalogFolder.h"
#include "namespace/ComResult.h"
#include "namespace/FolderObjects.h"
#include "namespace/ProcessObjects.h"
#include "tools/CategoryPage.h"
#include "tools/FilePage.h"
#include "tools/MediaPage.h"
#include "tools/OptionsPage.h"
#include "tools/PropertySheets.h"

namespace cataloom {

PropertySheetExt::PropertySheetExt(CatalogFolder* folder, UINT count, const ItemId* const* items)
    : folder_(folder) {
    if (folder_ != nullptr) folder_->AddRef();
    copies_.reserve(count);
    items_.reserve(count);
    for (UINT i = 0; i < count && items != nullptr; ++i) {
        copies_.emplace_back(ProcessObjects::ItemIds().Copy(items[i]));
        if (copies_.back() == nullptr) valid_ = false;
        items_.push_back(copies_.back().Get());
    }
}

PropertySheetExt::~PropertySheetExt() {
    pages_.clear();
    if (folder_ != nullptr) folder_->Release();
}

STDMETHODIMP PropertySheetExt::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) noexcept {
    if (!items_.empty() || data == nullptr) return S_OK;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium))) return S_OK;
    char path[kMaxPath] = {};
    if (medium.tymed == TYMED_HGLOBAL &&
        DragQueryFileA(static_cast<HDROP>(medium.hGlobal), 0, path, sizeof path) > 0 && IsCatalogFileName(path))
        text::CopyTruncated(catalogPath_, sizeof catalogPath_, path);
    ReleaseStgMedium(&medium);
    return S_OK;
}

HRESULT PropertySheetExt::MakePage(std::unique_ptr<SheetPage>& page) {
    if (catalogPath_[0] != '\0') {
        page = std::make_unique<MediaPage>(Owner(), catalogPath_);
        return S_OK;
    }
    if (folder_ == nullptr || items_.empty()) {
        page = std::make_unique<OptionsPage>(Owner());
        return S_OK;
    }
    if (folder_->IsFileSystemLevel()) {
        // One category or one catalogue at a time.
        if (items_.size() != 1) return E_FAIL;
        const ItemId* item = items_[0];
        char path[kMaxPath];
        switch (ItemIdFactory::Kind(item)) {
        case kKindCategory:
            page = std::make_unique<CategoryPage>(Owner(), folder_, item);
            return S_OK;
        case kKindMedia:
            if (folder_->FileSystemPath(item, path, sizeof path) < 0) return E_FAIL;
            page = std::make_unique<MediaPage>(Owner(), path);
            return S_OK;
        default:
            return E_FAIL;
        }
    }
    // Inside a catalogue: directories and files only.
    for (const ItemId* item : items_)
        if (ItemIdFactory::Kind(item) != kKindEntry) return E_FAIL;
    page = std::make_unique<FilePage>(Owner(), folder_, items_);
    return S_OK;
}

STDMETHODIMP PropertySheetExt::AddPages(LPFNSVADDPROPSHEETPAGE add, LPARAM parameter) noexcept {
    if (add == nullptr) return E_INVALIDARG;
    return ComFirewall([&]() -> HRESULT {
        std::unique_ptr<SheetPage> page;
        CATALOOM_RETURN_IF_FAILED(MakePage(page));
        // Kept before the sheet sees it: a refused page is destroyed (and
        // calls back) before AddPages returns.
        pages_.push_back(std::move(page));
        HPROPSHEETPAGE handle = pages_.back()->Create();
        if (handle == nullptr) return S_OK;
        if (!add(handle, parameter)) {
            DestroyPropertySheetPage(handle);
            return E_FAIL;
        }
        return S_OK;
    });
}

STDMETHODIMP PropertySheetExt::ReplacePage(EXPPS, LPFNSVADDPROPSHEETPAGE, LPARAM) noexcept { return S_OK; }

namespace {

HRESULT CreatePropertySheetExt(CatalogFolder* folder, HWND, UINT count, const ItemId* const* items, REFIID iid,
                               void** out) {
    auto* sheet = new PropertySheetExt(folder, count, items);
    HRESULT hr = sheet->Valid() ? sheet->QueryInterface(iid, out) : E_OUTOFMEMORY;
    sheet->Release();
    return hr;
}

}  // namespace

void InstallPropertySheets() noexcept { InstallFolderObject(IID_IShellPropSheetExt, CreatePropertySheetExt); }

HRESULT AddOptionsPage(LPFNSVADDPROPSHEETPAGE add, LPARAM parameter) noexcept {
    return ComFirewall([&] {
        // Without items the extension adds the options page; the page holds
        // the extension for as long as the sheet keeps the page.
        auto* sheet = new PropertySheetExt(nullptr, 0, nullptr);
        HRESULT hr = sheet->AddPages(add, parameter);
        sheet->Release();
        return hr;
    });
}

}  // namespace cataloom

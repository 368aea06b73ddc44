#include "tests/view/DragDropSupport.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>

#include "namespace/ComObject.h"
#include "namespace/ProcessObjects.h"
#include "tests/view/ViewTestSupport.h"

namespace cataloom::test {
namespace {

// Drags need OLE on the test's thread, not only COM.
class OleEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};
const bool kEnvironmentRegistered = (::testing::AddGlobalTestEnvironment(new OleEnvironment), true);

// Offers one block in the move format, as another program may.
class BlockSource final : public ComObject<BlockSource, IDataObject> {
public:
    explicit BlockSource(Bytes block) : block_(std::move(block)) {}
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) noexcept override {
        if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
        HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, block_.empty() ? 1 : block_.size());
        if (global == nullptr) return E_OUTOFMEMORY;
        std::memcpy(GlobalLock(global), block_.data(), block_.size());
        GlobalUnlock(global);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = global;
        medium->pUnkForRelease = nullptr;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) noexcept override {
        return format != nullptr && format->cfFormat == ProcessObjects::FileMoveFormat() ? S_OK : DV_E_FORMATETC;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) noexcept override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) noexcept override {
        return OLE_E_ADVISENOTSUPPORTED;
    }
    STDMETHODIMP DUnadvise(DWORD) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) noexcept override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    Bytes block_;
};

Bytes HeaderBytes(bool wide) {
    Bytes block(20, 0);
    block[0] = 20;
    block[12] = 1;
    block[16] = wide ? 1 : 0;
    return block;
}

}  // namespace

FORMATETC MoveFormatEtc() {
    return {static_cast<CLIPFORMAT>(ProcessObjects::FileMoveFormat()), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

ComPtr<IDataObject> DataObjectFor(IShellFolder* folder, const std::vector<std::string>& names, HRESULT* result) {
    std::vector<IdList> items = Enumerate(folder, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN);
    std::vector<PCUITEMID_CHILD> chosen;
    for (const std::string& name : names) chosen.push_back(Find(items, name).Child());
    ComPtr<IDataObject> data;
    HRESULT hr = folder->GetUIObjectOf(nullptr, static_cast<UINT>(chosen.size()), chosen.data(), IID_IDataObject,
                                       nullptr, data.PutVoid());
    if (result != nullptr) *result = hr;
    return data;
}

Bytes MoveBlock(IDataObject* data, HRESULT* result) {
    FORMATETC format = MoveFormatEtc();
    STGMEDIUM medium = {};
    HRESULT hr = data->GetData(&format, &medium);
    if (result != nullptr) *result = hr;
    if (FAILED(hr)) return {};
    Bytes bytes;
    if (medium.tymed == TYMED_HGLOBAL) {
        const auto* at = static_cast<const std::uint8_t*>(GlobalLock(medium.hGlobal));
        bytes.assign(at, at + GlobalSize(medium.hGlobal));
        GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    return bytes;
}

ComPtr<IDropTarget> DropTargetFor(IShellFolder* folder, const std::string& name, HRESULT* result) {
    ComPtr<IDropTarget> target;
    HRESULT hr;
    if (name.empty()) {
        hr = folder->CreateViewObject(nullptr, IID_IDropTarget, target.PutVoid());
    } else {
        std::vector<IdList> items = Enumerate(folder, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS);
        PCUITEMID_CHILD child = Find(items, name).Child();
        hr = folder->GetUIObjectOf(nullptr, 1, &child, IID_IDropTarget, nullptr, target.PutVoid());
    }
    if (result != nullptr) *result = hr;
    return target;
}

ComPtr<IDataObject> OfferedBlock(const Bytes& block) {
    ComPtr<IDataObject> data;
    *data.Put() = new BlockSource(block);
    return data;
}

Bytes AnsiBlock(const std::vector<std::string>& paths) {
    Bytes block = HeaderBytes(false);
    for (const std::string& path : paths) {
        block.insert(block.end(), path.begin(), path.end());
        block.push_back(0);
    }
    block.push_back(0);
    return block;
}

Bytes WideBlock(const std::vector<std::string>& paths) {
    Bytes block = HeaderBytes(true);
    for (const std::string& path : paths) {
        for (wchar_t c : Wide(path)) {
            block.push_back(static_cast<std::uint8_t>(c & 0xFF));
            block.push_back(static_cast<std::uint8_t>(c >> 8));
        }
        block.insert(block.end(), {0, 0});
    }
    block.insert(block.end(), {0, 0});
    return block;
}

DropOutcome EnterAndDrop(IDropTarget* target, IDataObject* data, DWORD allowed) {
    DropOutcome outcome;
    POINTL point = {0, 0};
    DWORD effect = allowed;
    EXPECT_EQ(target->DragEnter(data, MK_LBUTTON, point, &effect), S_OK);
    outcome.entered = effect;
    effect = allowed;
    outcome.dropped = target->Drop(data, 0, point, &effect);
    outcome.effect = effect;
    return outcome;
}

POINT RowPoint(HWND list, int row) {
    RECT area = {};
    area.left = LVIR_LABEL;
    SendMessageA(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&area));
    POINT point = {area.left + 4, (area.top + area.bottom) / 2};
    ClientToScreen(list, &point);
    return point;
}

POINT BelowRows(HWND list) {
    RECT area = {};
    area.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, ItemCount(list) - 1, reinterpret_cast<LPARAM>(&area));
    POINT point = {area.left + 10, area.bottom + 40};
    ClientToScreen(list, &point);
    return point;
}

int RowOf(HWND list, const std::string& text) {
    std::vector<std::string> texts = ColumnTexts(list);
    for (std::size_t i = 0; i < texts.size(); ++i)
        if (texts[i] == text) return static_cast<int>(i);
    return -1;
}

}  // namespace cataloom::test

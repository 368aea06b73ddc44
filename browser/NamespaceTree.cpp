#include "browser/NamespaceTree.h"

#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "browser/TreeDropTarget.h"
#include "core/TaskMemory.h"
#include "namespace/ComPtr.h"

namespace cataloom {
namespace {

using Place = TaskMemory<ITEMIDLIST>;

ComPtr<IShellFolder> BindTo(PCIDLIST_ABSOLUTE place) {
    ComPtr<IShellFolder> desktop;
    ComPtr<IShellFolder> folder;
    if (FAILED(SHGetDesktopFolder(desktop.Put()))) return folder;
    if (ILIsEmpty(place)) return desktop;
    desktop->BindToObject(place, nullptr, IID_IShellFolder, folder.PutVoid());
    return folder;
}

// The item's index in the system image list, as the folder gives it.
int IconIndex(IShellFolder* folder, PCUITEMID_CHILD child, PCIDLIST_ABSOLUTE absolute, bool open) {
    ComPtr<IExtractIconA> extractor;
    if (SUCCEEDED(folder->GetUIObjectOf(nullptr, 1, &child, IID_IExtractIconA, nullptr, extractor.PutVoid()))) {
        int index = -1;
        UINT flags = 0;
        HRESULT hr = extractor->GetIconLocation(GIL_FORSHELL | (open ? GIL_OPENICON : 0), nullptr, 0, &index, &flags);
        if (SUCCEEDED(hr) && (flags & GIL_NOTFILENAME) != 0 && index >= 0) return index;
    }
    SHFILEINFOW info = {};
    UINT flags = SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | (open ? SHGFI_OPENICON : 0);
    if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(absolute), 0, &info, sizeof info, flags) == 0) return 0;
    return info.iIcon;
}

std::wstring DisplayName(IShellFolder* folder, PCUITEMID_CHILD child) {
    STRRET name = {};
    wchar_t text[MAX_PATH] = {};
    if (SUCCEEDED(folder->GetDisplayNameOf(child, SHGDN_INFOLDER, &name))) StrRetToBufW(&name, child, text, MAX_PATH);
    return text;
}

// The first `count` records of an absolute list, as a new list.
Place Prefix(PCIDLIST_ABSOLUTE place, UINT count) {
    Place prefix(ILClone(place));
    if (prefix == nullptr) return prefix;
    PUIDLIST_RELATIVE cursor = prefix.Get();
    for (UINT i = 0; i < count && !ILIsEmpty(cursor); ++i) cursor = ILNext(cursor);
    if (!ILIsEmpty(cursor)) cursor->mkid.cb = 0;
    return prefix;
}

UINT Depth(PCUIDLIST_RELATIVE place) {
    UINT depth = 0;
    for (; !ILIsEmpty(place); place = ILNext(place)) ++depth;
    return depth;
}

}  // namespace

bool NamespaceTree::Create(HWND parent, int id, PCIDLIST_ABSOLUTE root, Navigate navigate) noexcept {
    navigate_ = std::move(navigate);
    window_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT |
                                  TVS_SHOWSELALWAYS,
                              0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    if (window_ == nullptr) return false;
    SHFILEINFOW info = {};
    auto images = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L"", FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                       SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES));
    TreeView_SetImageList(window_, images, TVSIL_NORMAL);
    // The root node: named by its parent folder like any other.
    Place parentPlace(ILClone(root));
    if (parentPlace == nullptr) return false;
    ILRemoveLastID(parentPlace.Get());
    ComPtr<IShellFolder> parentFolder = BindTo(parentPlace.Get());
    if (!parentFolder) return false;
    HTREEITEM node = Add(TVI_ROOT, parentFolder.Get(), root, ILFindLastID(root));
    if (node != nullptr) TreeView_Expand(window_, node, TVE_EXPAND);
    return node != nullptr;
}

HTREEITEM NamespaceTree::Add(HTREEITEM parent, IShellFolder* folder, PCIDLIST_ABSOLUTE absolute,
                             PCUITEMID_CHILD child) {
    Place place(ILClone(absolute));
    if (place == nullptr) return nullptr;
    SFGAOF attributes = SFGAO_HASSUBFOLDER;
    if (FAILED(folder->GetAttributesOf(1, &child, &attributes))) attributes = 0;
    std::wstring name = DisplayName(folder, child);
    TVINSERTSTRUCTW insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = &name[0];
    insert.item.cChildren = (attributes & SFGAO_HASSUBFOLDER) != 0 ? 1 : 0;
    insert.item.iImage = IconIndex(folder, child, absolute, false);
    insert.item.iSelectedImage = IconIndex(folder, child, absolute, true);
    insert.item.lParam = reinterpret_cast<LPARAM>(place.Get());
    auto node = reinterpret_cast<HTREEITEM>(SendMessageW(window_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    if (node != nullptr) place.Release();  // the node owns it now
    return node;
}

bool NamespaceTree::AcceptDrops() noexcept {
    if (window_ == nullptr || acceptsDrops_) return acceptsDrops_;
    auto* target = new (std::nothrow) TreeDropTarget(*this);
    if (target == nullptr) return false;
    // The registration holds its own reference.
    acceptsDrops_ = SUCCEEDED(RegisterDragDrop(window_, target));
    target->Release();
    return acceptsDrops_;
}

void NamespaceTree::RefuseDrops() noexcept {
    if (acceptsDrops_) RevokeDragDrop(window_);
    acceptsDrops_ = false;
}

HTREEITEM NamespaceTree::NodeAt(POINT screen) const noexcept {
    TVHITTESTINFO hit = {};
    hit.pt = screen;
    if (window_ == nullptr || !ScreenToClient(window_, &hit.pt)) return nullptr;
    auto node = reinterpret_cast<HTREEITEM>(SendMessageW(window_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return (hit.flags & TVHT_ONITEM) != 0 ? node : nullptr;
}

void NamespaceTree::Highlight(HTREEITEM node) const noexcept {
    if (window_ != nullptr) SendMessageW(window_, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(node));
}

PCIDLIST_ABSOLUTE NamespaceTree::PlaceOf(HTREEITEM node) const {
    TVITEMW item = {};
    item.mask = TVIF_PARAM;
    item.hItem = node;
    if (node == nullptr || !SendMessageW(window_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
    return reinterpret_cast<PCIDLIST_ABSOLUTE>(item.lParam);
}

void NamespaceTree::Fill(HTREEITEM node) {
    if (TreeView_GetChild(window_, node) != nullptr) return;
    PCIDLIST_ABSOLUTE place = PlaceOf(node);
    ComPtr<IShellFolder> folder = BindTo(place);
    ComPtr<IEnumIDList> children;
    if (!folder || folder->EnumObjects(window_, SHCONTF_FOLDERS, children.Put()) != S_OK || !children) return;
    std::vector<Place> items;
    PITEMID_CHILD child = nullptr;
    while (children->Next(1, &child, nullptr) == S_OK) items.emplace_back(child);
    // In the folder's own order of identity: categories before catalogues,
    // then by name.
    std::sort(items.begin(), items.end(), [&](const Place& a, const Place& b) {
        HRESULT order = folder->CompareIDs(0, a.Get(), b.Get());
        return SUCCEEDED(order) ? static_cast<short>(HRESULT_CODE(order)) < 0 : order == -1;
    });
    for (const Place& item : items) {
        Place absolute(ILCombine(place, item.Get()));
        if (absolute != nullptr) Add(node, folder.Get(), absolute.Get(), item.Get());
    }
    if (items.empty()) {  // no expand button on a folder without folders
        TVITEMW none = {};
        none.mask = TVIF_CHILDREN;
        none.hItem = node;
        SendMessageW(window_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&none));
    }
}

void NamespaceTree::Select(PCIDLIST_ABSOLUTE place) {
    ComPtr<IShellFolder> desktop;
    if (window_ == nullptr || place == nullptr || FAILED(SHGetDesktopFolder(desktop.Put()))) return;
    const UINT depth = Depth(place);
    HTREEITEM node = TreeView_GetRoot(window_);
    HTREEITEM found = nullptr;
    while (node != nullptr) {
        PCIDLIST_ABSOLUTE nodePlace = PlaceOf(node);
        const UINT nodeDepth = Depth(nodePlace);
        Place prefix = Prefix(place, nodeDepth);
        if (nodeDepth > depth || prefix == nullptr || desktop->CompareIDs(0, nodePlace, prefix.Get()) != S_OK) {
            node = TreeView_GetNextSibling(window_, node);
            continue;
        }
        found = node;
        if (nodeDepth == depth) break;
        Fill(node);
        TreeView_Expand(window_, node, TVE_EXPAND);
        node = TreeView_GetChild(window_, node);
    }
    if (found == nullptr) return;
    selecting_ = true;
    TreeView_SelectItem(window_, found);
    TreeView_EnsureVisible(window_, found);
    selecting_ = false;
}

LRESULT NamespaceTree::OnNotify(const NMHDR& header) {
    switch (header.code) {
    case TVN_ITEMEXPANDINGW: {
        const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
        if ((change.action & TVE_EXPAND) != 0) Fill(change.itemNew.hItem);
        return FALSE;
    }
    case TVN_SELCHANGEDW: {
        const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
        if (!selecting_ && navigate_) navigate_(reinterpret_cast<PCIDLIST_ABSOLUTE>(change.itemNew.lParam));
        return 0;
    }
    case TVN_DELETEITEMW:
        CoTaskMemFree(reinterpret_cast<void*>(reinterpret_cast<const NMTREEVIEWW&>(header).itemOld.lParam));
        return 0;
    default:
        return 0;
    }
}

}  // namespace cataloom

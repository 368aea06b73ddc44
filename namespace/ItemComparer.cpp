#include "namespace/ItemComparer.h"

#include "core/ItemIdFactory.h"
#include "namespace/ItemColumns.h"
#include "platform/Platform.h"

namespace cataloom {
namespace {

using Ids = ItemIdFactory;

template <typename T>
int Order(T a, T b) { return a < b ? -1 : (a > b ? 1 : 0); }
int Sign(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

int CompareNames(const char* a, const char* b) { return Sign(platform::CompareNoCase(a, b)); }

// Directories before files: -1, 1, or 0 when both are of one sort.
int DirectoriesFirst(const ItemId* a, const ItemId* b) {
    return Order(Ids::EntryIsDirectory(b), Ids::EntryIsDirectory(a));
}

// The order as a plain -1, 0 or 1: read as a signed integer it is the order,
// and its code field read as a short (the shell's way) is the order too.
HRESULT ToResult(int order) { return static_cast<HRESULT>(order); }

}  // namespace

HRESULT ItemComparer::Compare(LPARAM parameter, const ItemId* first, const ItemId* second) noexcept {
    int order = 0;
    // Column 0 asks for identity, whatever flags the shell sets in the high
    // bits (SHCIDS_ALLFIELDS, SHCIDS_CANONICALONLY).
    bool identity = LOWORD(parameter) == 0;
    HRESULT hr = identity ? ByIdentity(first, second, &order) : ByColumn(LOWORD(parameter), first, second, &order);
    if (FAILED(hr)) return hr;
    // Kinds, and directories before files, keep their order both ways: only
    // the column's own comparison turns round.
    bool grouped = Ids::Kind(first) != Ids::Kind(second) ||
                   (Ids::Kind(first) == kKindEntry && DirectoriesFirst(first, second) != 0);
    WORD direction = static_cast<WORD>((static_cast<DWORD>(parameter) >> 16) & 0x7FFF);
    if (!identity && !grouped && direction == kDescending) order = -order;
    return ToResult(order);
}

HRESULT ItemComparer::ByColumn(WORD column, const ItemId* first, const ItemId* second, int* order) noexcept {
    *order = Ids::CompareKinds(first, second);
    if (*order != 0) return S_OK;
    switch (Ids::Kind(first)) {
    case kKindCategory:
        // Categories carry no column values: by name under every column, so a
        // sorted folder reads naturally.
        *order = Ids::CompareCategoryNames(first, second);
        return S_OK;
    case kKindMedia:
        switch (column) {
        case kColumnLabel:
            *order = Ids::CompareMediaNames(first, second);
            if (*order == 0) *order = Ids::CompareSerials(first, second);
            return S_OK;
        case kColumnTotal: *order = Ids::CompareTotals(first, second); return S_OK;
        case kColumnFree: *order = Ids::CompareFree(first, second); return S_OK;
        case kColumnSerial: *order = Ids::CompareSerials(first, second); return S_OK;
        case kColumnCaptured: *order = Ids::CompareCaptureTimes(second, first); return S_OK;  // newest first
        default: return E_INVALIDARG;
        }
    case kKindEntry: {
        *order = DirectoriesFirst(first, second);
        if (*order != 0) return S_OK;
        switch (column) {
        case kColumnName:
            *order = CompareNames(Ids::Name(first), Ids::Name(second));
            return S_OK;
        case kColumnSize:
            *order = Order(Ids::EntrySize(first), Ids::EntrySize(second));
            return S_OK;
        case kColumnType: {
            char a[80];
            char b[80];
            ItemColumns::TypeName(first, a, sizeof a);
            ItemColumns::TypeName(second, b, sizeof b);
            *order = CompareNames(a, b);
            return S_OK;
        }
        case kColumnModified:  // newest first
            *order = Order(Ids::EntryWriteTime(second), Ids::EntryWriteTime(first));
            return S_OK;
        default:
            return E_INVALIDARG;
        }
    }
    default:
        return E_FAIL;
    }
}

HRESULT ItemComparer::ByIdentity(const ItemId* first, const ItemId* second, int* order) noexcept {
    while (!Ids::IsEnd(first) && !Ids::IsEnd(second)) {
        *order = Ids::CompareKinds(first, second);
        if (*order != 0) return S_OK;
        switch (Ids::Kind(first)) {
        case kKindCategory:
            *order = Ids::CompareCategoryNames(first, second);
            break;
        case kKindMedia:
            // Two files may hold catalogues of one name: the file name tells
            // them apart.
            *order = Ids::CompareMediaNames(first, second);
            if (*order == 0) *order = CompareNames(Ids::MediaFileName(first), Ids::MediaFileName(second));
            break;
        case kKindEntry:
            *order = DirectoriesFirst(first, second);
            if (*order == 0) *order = CompareNames(Ids::Name(first), Ids::Name(second));
            break;
        default:
            return E_FAIL;
        }
        if (*order != 0) return S_OK;
        first = Ids::Next(first);
        second = Ids::Next(second);
    }
    bool firstEnded = Ids::IsEnd(first);
    bool secondEnded = Ids::IsEnd(second);
    *order = firstEnded && secondEnded ? 0 : (firstEnded ? -1 : 1);
    return S_OK;
}

}  // namespace cataloom

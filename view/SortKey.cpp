#include "view/SortKey.h"

namespace cataloom {

SortKey SortKey::Initial(Listing listing) noexcept {
    return SortKey(ItemColumns::Column(listing, 0).code);
}

SortKey SortKey::Clicked(WORD code) const noexcept {
    if (code != Column()) return SortKey(MAKELONG(code, 1));
    WORD direction = Direction();
    WORD next = direction == 1 ? 2 : (direction == 0 || direction == 2 ? 1 : 0);
    return SortKey(MAKELONG(code, next));
}

int OrderOf(HRESULT result) noexcept {
    if (result == -1) return -1;
    if (FAILED(result)) return 0;
    short code = static_cast<short>(HRESULT_CODE(result));
    return code < 0 ? -1 : (code > 0 ? 1 : 0);
}

}  // namespace cataloom

#include "view/ItemDropSource.h"

namespace cataloom {

STDMETHODIMP ItemDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keys) noexcept {
    if (escapePressed) return DRAGDROP_S_CANCEL;
    if ((keys & MK_LBUTTON) == 0) return DRAGDROP_S_DROP;
    return S_OK;
}

STDMETHODIMP ItemDropSource::GiveFeedback(DWORD) noexcept { return DRAGDROP_S_USEDEFAULTCURSORS; }

}  // namespace cataloom

#include "view/FormatEnumerator.h"

#include <new>

#include "namespace/ComResult.h"

namespace cataloom {

HRESULT FormatEnumerator::Create(const FORMATETC* formats, ULONG count, IEnumFORMATETC** out) noexcept {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (formats == nullptr && count != 0) return E_INVALIDARG;
    return ComFirewall([&]() -> HRESULT {
        // Only formats without a target device: a copy owns nothing more.
        std::vector<FORMATETC> copy(formats, formats + count);
        for (FORMATETC& format : copy) format.ptd = nullptr;
        auto* enumerator = new (std::nothrow) FormatEnumerator(std::move(copy));
        if (enumerator == nullptr) return E_OUTOFMEMORY;
        *out = enumerator;
        return S_OK;
    });
}

STDMETHODIMP FormatEnumerator::Next(ULONG count, FORMATETC* records, ULONG* fetched) noexcept {
    if (fetched != nullptr) *fetched = 0;
    if (records == nullptr) return E_POINTER;
    // Without a fetched count the caller could not tell how many came.
    if (count > 1 && fetched == nullptr) return E_INVALIDARG;
    const ULONG left = static_cast<ULONG>(formats_.size()) - cursor_;
    const ULONG copied = count < left ? count : left;
    for (ULONG i = 0; i < copied; ++i) records[i] = formats_[cursor_ + i];
    cursor_ += copied;
    if (fetched != nullptr) *fetched = copied;
    return copied == count ? S_OK : S_FALSE;
}

STDMETHODIMP FormatEnumerator::Skip(ULONG count) noexcept {
    const ULONG left = static_cast<ULONG>(formats_.size()) - cursor_;
    if (count > left) {
        cursor_ = static_cast<ULONG>(formats_.size());
        return S_FALSE;
    }
    cursor_ += count;
    return S_OK;
}

STDMETHODIMP FormatEnumerator::Reset() noexcept {
    cursor_ = 0;
    return S_OK;
}

STDMETHODIMP FormatEnumerator::Clone(IEnumFORMATETC** out) noexcept {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
}

}  // namespace cataloom

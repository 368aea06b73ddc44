// The enumerator a data object returns from EnumFormatEtc: a copy of the
// formats it offers, handed out from a cursor.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <vector>

#include "namespace/ComObject.h"

namespace cataloom {

class FormatEnumerator final : public ComObject<FormatEnumerator, IEnumFORMATETC> {
public:
    // An enumerator over a copy of `formats`, returned as IEnumFORMATETC;
    // E_OUTOFMEMORY when it cannot be made.
    static HRESULT Create(const FORMATETC* formats, ULONG count, IEnumFORMATETC** out) noexcept;

    STDMETHODIMP Next(ULONG count, FORMATETC* records, ULONG* fetched) noexcept override;
    STDMETHODIMP Skip(ULONG count) noexcept override;
    STDMETHODIMP Reset() noexcept override;
    STDMETHODIMP Clone(IEnumFORMATETC** out) noexcept override;

private:
    explicit FormatEnumerator(std::vector<FORMATETC> formats) noexcept : formats_(std::move(formats)) {}
    ~FormatEnumerator() override = default;

    std::vector<FORMATETC> formats_;
    ULONG cursor_ = 0;
};

}  // namespace cataloom

// The drop source of a drag out of a view: the left button's release drops,
// Escape cancels, the system draws the cursors.
#pragma once

#include <windows.h>
#include <oleidl.h>

#include "namespace/ComObject.h"

namespace cataloom {

class ItemDropSource final : public ComObject<ItemDropSource, IDropSource> {
public:
    ItemDropSource() noexcept = default;

    STDMETHODIMP QueryContinueDrag(BOOL escapePressed, DWORD keys) noexcept override;
    STDMETHODIMP GiveFeedback(DWORD effect) noexcept override;

private:
    ~ItemDropSource() override = default;
};

}  // namespace cataloom

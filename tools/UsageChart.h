// The pie of a catalogue's used and free space on the media page: a disc
// with the used share clockwise from twelve o'clock.
#pragma once

#include <windows.h>

#include <cstdint>

namespace cataloom {

class UsageChart {
public:
    // The used share of `total` in whole percent (truncated), 0 to 100.
    // Free space beyond the total counts as nothing used; a total of 0 as
    // nothing used.
    static int Percent(std::uint64_t total, std::uint64_t free) noexcept;
    // A new bitmap for `control`: its client area made square, the button
    // face around a disc with the used share in `used` and the rest in
    // `free`.  The caller deletes it; null when it cannot be made.
    static HBITMAP Draw(HWND control, int percent, COLORREF used, COLORREF free) noexcept;
};

}  // namespace cataloom

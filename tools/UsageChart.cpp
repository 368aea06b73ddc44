#include "tools/UsageChart.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "tools/GdiHandles.h"

namespace cataloom {

int UsageChart::Percent(std::uint64_t total, std::uint64_t free) noexcept {
    if (total == 0 || free >= total) return 0;
    const std::uint64_t used = total - free;
    // used * 100 overflows above 184 petabytes; the share of a hundredth
    // of the total is as exact at that size.
    std::uint64_t percent = used <= std::numeric_limits<std::uint64_t>::max() / 100 ? used * 100 / total
                                                                                     : used / (total / 100);
    return static_cast<int>(std::min<std::uint64_t>(percent, 100));
}

HBITMAP UsageChart::Draw(HWND control, int percent, COLORREF used, COLORREF free) noexcept {
    RECT client = {};
    GetClientRect(control, &client);
    const int side = std::min(client.right - client.left, client.bottom - client.top);
    if (side <= 10) return nullptr;
    HDC window = GetDC(control);
    HDC dc = CreateCompatibleDC(window);
    HBITMAP bitmap = CreateCompatibleBitmap(window, side, side);
    ReleaseDC(control, window);
    if (dc == nullptr || bitmap == nullptr) {
        if (dc != nullptr) DeleteDC(dc);
        if (bitmap != nullptr) DeleteObject(bitmap);
        return nullptr;
    }
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    RECT all = {0, 0, side, side};
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));

    const int cx = side / 2;
    const int cy = side / 2;
    const int r = cy - 5;
    percent = std::clamp(percent, 0, 100);
    const float angle = (static_cast<float>(percent) * 0.01f - 0.25f) * 6.283184f;
    const int endX = static_cast<int>(static_cast<float>(r) * std::cos(angle) + static_cast<float>(cx));
    const int endY = static_cast<int>(static_cast<float>(r) * std::sin(angle) + static_cast<float>(cy));
    // Two radii on one point make Pie draw the whole ellipse: a share too
    // small to show is no wedge, one too close to 100 the whole disc.
    const bool sameRadius = endX == cx && endY < cy;
    const bool allUsed = percent >= 100 || (sameRadius && percent >= 50);
    const bool noneUsed = percent <= 0 || (sameRadius && percent < 50);

    GdiObject<HBRUSH> usedBrush(CreateSolidBrush(used));
    GdiObject<HBRUSH> freeBrush(CreateSolidBrush(free));
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, allUsed ? usedBrush.Get() : freeBrush.Get());
    Ellipse(dc, 5, 5, side - 5, side - 5);
    if (!allUsed && !noneUsed) {
        // From the end of the used share back round to twelve o'clock.
        SelectObject(dc, usedBrush.Get());
        Pie(dc, 5, 5, side - 5, side - 5, endX, endY, cx, 5);
    }
    // The radius at twelve o'clock, where the share starts.
    MoveToEx(dc, cx, 5, nullptr);
    LineTo(dc, cx, cy);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    return bitmap;
}

}  // namespace cataloom

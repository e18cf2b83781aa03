#include "skin/ScreenPlace.h"

#include <algorithm>
#include <cstdint>

namespace {

int64_t Overlap(int32_t a0, int32_t a1, int32_t b0, int32_t b1)
{
    return std::max<int64_t>(0, static_cast<int64_t>(std::min(a1, b1)) - std::max(a0, b0));
}

bool ShowsEnough(const SkinRect& window, const SkinRect& monitor)
{
    const int64_t across = Overlap(window.left, window.right, monitor.left, monitor.right);
    const int64_t down = Overlap(window.top, window.bottom, monitor.top, monitor.bottom);
    return across >= std::min(kMinVisiblePixels, window.Width()) &&
           down >= std::min(kMinVisiblePixels, window.Height()) && across > 0 && down > 0;
}

// Squared distance from a point to the nearest point of `rect`.
int64_t DistanceSquared(int64_t x, int64_t y, const SkinRect& rect)
{
    const int64_t dx = x < rect.left ? rect.left - x : x >= rect.right ? x - rect.right + 1 : 0;
    const int64_t dy = y < rect.top ? rect.top - y : y >= rect.bottom ? y - rect.bottom + 1 : 0;
    return dx * dx + dy * dy;
}

int32_t Fit(int32_t start, int32_t size, int32_t low, int32_t high)
{
    if (size >= high - low)
        return low;
    return std::clamp(start, low, high - size);
}

}  // namespace

SkinPoint PlaceOnScreen(const SkinRect& window, const std::vector<SkinRect>& monitors)
{
    const SkinPoint own{window.left, window.top};
    const SkinRect* nearest = nullptr;
    int64_t nearestDistance = 0;
    const int64_t centreX = (static_cast<int64_t>(window.left) + window.right) / 2;
    const int64_t centreY = (static_cast<int64_t>(window.top) + window.bottom) / 2;
    for (const SkinRect& monitor : monitors) {
        if (monitor.IsEmpty())
            continue;
        if (ShowsEnough(window, monitor))
            return own;
        const int64_t distance = DistanceSquared(centreX, centreY, monitor);
        if (nearest == nullptr || distance < nearestDistance) {
            nearest = &monitor;
            nearestDistance = distance;
        }
    }
    if (nearest == nullptr)
        return own;
    return {Fit(window.left, window.Width(), nearest->left, nearest->right),
            Fit(window.top, window.Height(), nearest->top, nearest->bottom)};
}

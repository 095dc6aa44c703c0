#include "core/Placement.h"

#include <algorithm>
#include <limits>

namespace {
int32_t Saturate(int64_t value) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// One axis: the start that puts [start, start + size) inside [low, high), or at low when it does not fit.
int64_t MoveAxisInside(int64_t start, int64_t size, int64_t low, int64_t high) {
    return std::max(low, std::min(start, high - size));
}
}  // namespace

bool Intersects(const ScreenRect& a, const ScreenRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

ScreenRect RectAt(int32_t left, int32_t top, int32_t width, int32_t height) {
    return {left, top, Saturate(int64_t{left} + std::max(width, 0)), Saturate(int64_t{top} + std::max(height, 0))};
}

ScreenRect MoveInside(int32_t left, int32_t top, int32_t width, int32_t height, const ScreenRect& area) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    const int64_t x = MoveAxisInside(left, width, area.Left, area.Right);
    const int64_t y = MoveAxisInside(top, height, area.Top, area.Bottom);
    // x and y lie between the area's edges, so they fit in 32 bits.
    return RectAt(static_cast<int32_t>(x), static_cast<int32_t>(y), width, height);
}

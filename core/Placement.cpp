#include "core/Placement.h"

#include <algorithm>

bool Intersects(const ScreenRect& a, const ScreenRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

ScreenRect MoveInside(const ScreenRect& window, const ScreenRect& area) {
    const int width = window.Right - window.Left;
    const int height = window.Bottom - window.Top;
    const int left = std::max(area.Left, std::min(window.Left, area.Right - width));
    const int top = std::max(area.Top, std::min(window.Top, area.Bottom - height));
    return {left, top, left + width, top + height};
}

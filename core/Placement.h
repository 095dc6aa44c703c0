#pragma once
// Where a window goes when its stored position would leave it where nobody can reach it.
struct ScreenRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

bool Intersects(const ScreenRect& a, const ScreenRect& b);

// The window moved (not resized) so that it lies inside the area, as little as possible; a window larger
// than the area keeps its top-left corner in the area.
ScreenRect MoveInside(const ScreenRect& window, const ScreenRect& area);

#pragma once
// Where a window goes when its stored position would leave it where nobody can reach it. Stored positions
// may hold any 32-bit value, so edges are computed in 64 bits.
#include <cstdint>

struct ScreenRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
};

bool Intersects(const ScreenRect& a, const ScreenRect& b);

// A window of width x height at left, top. Edges beyond the 32-bit range stop at its end: such a window
// lies on no monitor either way.
ScreenRect RectAt(int32_t left, int32_t top, int32_t width, int32_t height);

// A window of width x height stored at left, top, moved (not resized) so that it lies inside the area, as
// little as possible; a window larger than the area keeps its top-left corner in the area.
ScreenRect MoveInside(int32_t left, int32_t top, int32_t width, int32_t height, const ScreenRect& area);

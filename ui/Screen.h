#pragma once
// The monitors, as far as a stored window position needs them.
#include "core/Placement.h"

// A window stored at this rectangle, where it can be reached: as stored while any part of it is on a monitor,
// else moved (not resized) into the work area of the nearest monitor (the one it was on was unplugged).
ScreenRect ReachablePlace(const ScreenRect& stored);

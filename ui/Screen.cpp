#include "ui/Screen.h"

#include <windows.h>

ScreenRect ReachablePlace(const ScreenRect& stored) {
    const RECT rc{stored.Left, stored.Top, stored.Right, stored.Bottom};
    if (MonitorFromRect(&rc, MONITOR_DEFAULTTONULL)) return stored;
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(MonitorFromRect(&rc, MONITOR_DEFAULTTONEAREST), &mi);
    return MoveInside(stored.Left, stored.Top, stored.Right - stored.Left, stored.Bottom - stored.Top,
                      {mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom});
}

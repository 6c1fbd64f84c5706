// The normal rectangle of a window from its placement (see window_placement.h). User-interface thread.
#include "app/window_placement.h"

namespace vantor {

Rect32 restoredWindowRect(HWND window) {
    RECT r{};
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement)) {
        GetWindowRect(window, &r);
        return Rect32{r.left, r.top, r.right, r.bottom};
    }
    r = placement.rcNormalPosition;
    // The placement is in workspace coordinates, which start at the work area rather than at the screen's
    // corner (a taskbar on the left or at the top moves them).
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
        OffsetRect(&r, monitor.rcWork.left - monitor.rcMonitor.left,
                   monitor.rcWork.top - monitor.rcMonitor.top);
    return Rect32{r.left, r.top, r.right, r.bottom};
}

} // namespace vantor

// Periodic monitoring as the user interface calls it: the Win32 MonitorHost (Monitor dialog, menu state,
// control list rows, timer 100, pass threads, and the requests a pass makes of the user-interface thread)
// around the logic of triggers/monitoring.h.
// Threads: the user-interface thread; a pass thread reaches it only through kMonitorRequestMessage.
#pragma once

#include <windows.h>

#include <memory>

namespace vantor {

// The main window's monitoring timer.
constexpr UINT_PTR kMonitorTimerId = 100;
// Private message of the main window: a monitoring pass's request; wParam is its kind, lParam points at its
// data.
constexpr UINT kMonitorRequestMessage = WM_APP + 2;

class MonitorHost;
// Makes the application's monitoring host (with its optional timing), once, for AppState.
std::unique_ptr<MonitorHost> makeMonitorHost();

// Menu command (window null: the window list's selected row) and hot key (the foreground window).
void startMonitoringCommand(HWND window);
// The stop command (menu item, "終了" button, a pass that finds a watched window gone).
void stopMonitoringCommand();
// WM_TIMER of the main window.
void onMonitorTick();
// Carries out a pass's request on the user-interface thread (the handler of kMonitorRequestMessage).
LRESULT runMonitorRequest(WPARAM kind, LPARAM request);

} // namespace vantor

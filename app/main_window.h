// The main window (class "Vantor [Quellin]"): its procedure, creation, the command dispatch and the private
// message through which capture workers reach the user-interface thread.
// Threads: the user-interface thread.
#pragma once

#include <windows.h>

#include <memory>

namespace vantor {

class CaptureUi;

// Private message of the main window: a capture worker's request (app/capture_ui_win32.cpp), carried out
// on the user-interface thread; lParam points at the request.
constexpr UINT kCaptureUiMessage = WM_APP + 1;
// WM_APP + 2 is the monitoring pass's request (kMonitorRequestMessage, app/monitor_host.h).

void registerMainWindowClass(HINSTANCE instance);
// Creates, centres and shows the main window and registers the hot keys; false when it cannot be created.
bool createMainWindow(HINSTANCE instance);
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Places the section toolbar and the output pane below it in the right pane.
void layoutRightPane();
// The program's command table carried out; true when the command was handled.
bool dispatchCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Carries out a worker's request (the handler of kCaptureUiMessage).
LRESULT runCaptureUiRequest(LPARAM request);
// Makes the engine reach the toolbar and the output pane through kCaptureUiMessage.
void installAppCaptureUi();
// Makes the application's capture user interface, once, for AppState.
std::unique_ptr<CaptureUi> makeAppCaptureUi();

} // namespace vantor

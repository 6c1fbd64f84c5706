// The capture commands as the user interface calls them: the Win32 CommandHost (user-interface wait that
// serves sent messages, worker threads, clipboard) around the logic of triggers/capture_commands.h.
// Threads: the user-interface thread.
#pragma once

#include <windows.h>

#include <memory>

namespace vantor {

class CommandHost;
class CaptureController;

// The host the application uses (AppState's).
CommandHost& commandHost();
// Makes the application's host, once, for AppState.
std::unique_ptr<CommandHost> makeCommandHost();
// The user interface's capture controller (the host's): the running capture, monitoring on or off, and the
// report the pane shows and File > Save writes.
CaptureController& captureController();
// Window capture of window (the cancel protocol first when a capture runs); false when none was started
// (the user kept the running one).
bool updateWindowInfo(HWND window);
// The window of the last window capture.
HWND currentTargetWindow();
// Hot key Ctrl+Alt+C: the control under the mouse cursor to the clipboard.
void captureUnderCursor();

} // namespace vantor

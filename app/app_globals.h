// The application shell's state in one object (AppState, reached through appState()): the handles and names
// set during start-up and valid until exit, and what the shell's windows keep between messages.
// Threads: the user-interface thread writes all of it but originalOutputProc (the pane threads') and the
// waiting pane calls (any thread, under paneCallsLock). The instance, the names, the windows and the
// adapters are set at start-up, before any worker thread starts; worker threads read the window handles
// (main to address their synchronous messages, outputPane and windowList to send them messages), call
// through the adapters and touch nothing else here. windows.outputPane changes when the pane is replaced,
// on the user-interface thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/panes/pane_rules.h"
#include "app/tray.h"
#include "platform/win32/scoped_win.h"
#include "platform/win32/session_security.h"
#include "platform/win32/win32_platform.h"

namespace vantor {

class CaptureUi;
class CommandHost;
class MonitorHost;

// The main window and the windows it is built of, created with it on the user-interface thread; null
// before and after.
struct AppWindows {
    HWND main = nullptr;
    HWND leftPane = nullptr;  // splitter pane of the window list
    HWND rightPane = nullptr; // splitter pane of the section toolbar and the output pane
    HWND listHost = nullptr;  // "list view" window holding the window list
    HWND windowList = nullptr;
    HWND sectionToolbar = nullptr;
    HWND outputPane = nullptr;
};

// One splitter pane's links, kept as the pane's user data for the whole run.
struct PaneLinks {
    HWND pane;
    HWND frame;
    HWND content;
    HWND rightNeighbour;
    HWND bottomNeighbour;
};

struct AppState {
    AppState(); // makes the adapters below
    ~AppState();
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    // The adapters through which the capture engine calls back into the application, made with the state
    // and kept to the end: the capture commands' host (with the user interface's capture controller), the
    // monitoring host and the capture user interface. Their own rules say which thread calls what.
    std::unique_ptr<CommandHost> commandHost;
    std::unique_ptr<MonitorHost> monitorHost;
    std::unique_ptr<CaptureUi> captureUi;

    // Set during start-up, read-only afterwards.
    HINSTANCE instance = nullptr;
    AppWindows windows;
    // String table entries 103 ("Vantor") and 109 ("Vantor [Quellin]").
    char programName[100] = "";
    char mainClassName[100] = "";
    char settingsPath[256] = "";
    // The security of the named objects this program creates (the single-instance mutex, the hook event),
    // built with the state; sessionOnly() gives its attributes.
    win32::SessionOnlySecurity sessionSecurity{};
    ScopedHandle instanceMutex; // the single-instance rule's mutex, held until shutdown
    ScopedHandle hookEvent;     // set by msghook.dll when a hot key or a watched click arrives
    HACCEL accelerators = nullptr;
    TrayIcon tray{}; // the notification-area icon's owner

    // The splitter panes and the drag of their bar.
    PaneLinks leftLinks{};
    PaneLinks rightLinks{};
    DragMode dragMode = DragMode::None;
    int dragOffset = 0;
    POINT lastCursorPos{0, 0};

    // The output pane: the text the last publication put into it, and the report's byte it begins at (above
    // 0 once monitoring has dropped the pane's head).
    std::string shownReport;
    std::size_t shownFrom = 0;
    // Two pane threads, taken in turn: the thread of a replaced control destroys it while the other makes
    // and serves the new one.
    DWORD paneThreads[2] = {0, 0};
    int nextPaneThread = 0;
    // The rich edit control's own procedure, the same for every pane: the one member the pane threads touch
    // (each stores it when it makes a control and calls it from the subclass procedure).
    std::atomic<WNDPROC> originalOutputProc{nullptr};

    // The calls waiting to run on a pane's thread (output_pane.cpp's runOnPane), so that a pane runs only
    // calls of this program's making: the one member every thread touches, under paneCallsLock.
    std::mutex paneCallsLock;
    std::vector<const void*> paneCallsWaiting;

    // The figures of the window capture under way when VANTOR_TIMING names a file (capture_timing.cpp):
    // the capture worker resets and writes them; showReport adds to them, on whichever thread calls it, while
    // on is set (only the worker changes on).
    struct CaptureTiming {
        char path[MAX_PATH];
        long long begin;
        long long reportTicks; // every showReport of the capture
        long long lastReport;  // the latest one, which at the end is the final publication
        int reports;
        std::atomic<bool> on{false};
    };
    CaptureTiming captureTiming{};

    ScopedFont listFont;             // the window list's font
    bool restoringSelection = false; // the window list's selection is being put back: it starts no capture
    // The ">>" button at the section toolbar's right end, shown while some section buttons do not fit.
    HWND moreButton = nullptr;
    // The About box's links keep their visited colour in later openings.
    bool homePageVisited = false;
    bool mailVisited = false;
    ScopedCursor linkCursor; // the About box's copy of the hand cursor, released at its next change
};
// The one AppState of the process, made at its first use (at start-up, before any other thread runs).
AppState& appState();

// The attributes for the named objects this program creates: its logon session alone, or null (the
// default security) when that could not be built.
SECURITY_ATTRIBUTES* sessionOnly();

// The directory of the running executable, without a trailing backslash (at most 511 characters).
void moduleDirectory(char* out, int cap);
// Registers a child window class of the program (icons 140 and 108, arrow cursor, window background,
// double clicks); returns the class atom, 0 on failure.
ATOM registerPaneClass(HINSTANCE instance, WNDPROC procedure, const char* className);

// The window helpers other windows share.
void centerOnWorkArea(HWND window);
HFONT createFixedPitchFont(const char* face, int height);

} // namespace vantor

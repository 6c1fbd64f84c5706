// Process-wide handles and names of the application shell, set during start-up and valid until exit.
// Threads: written on the user-interface thread during start-up; read-only afterwards (workers read
// appWindows.main to address their synchronous messages).
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/win32/win32_platform.h"

namespace vantor {

extern HINSTANCE moduleInstance;

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
extern AppWindows appWindows;
// String table entries 103 ("Vantor") and 109 ("Vantor [Quellin]").
extern char programName[100];
extern char mainClassName[100];

// The directory of the running executable, without a trailing backslash (at most 511 characters).
void moduleDirectory(char* out, int cap);
// Registers a child window class of the program (icons 140 and 108, arrow cursor, window background,
// double clicks); returns the class atom, 0 on failure.
ATOM registerPaneClass(HINSTANCE instance, WNDPROC procedure, const char* className);

// The window helpers other windows share.
void centerOnWorkArea(HWND window);
HFONT createFixedPitchFont(const char* face, int height);

} // namespace vantor

// The rectangle of the main window that the settings keep (WindowSize): the one the window has when it is
// neither minimised nor maximised, whatever state it is in when it is closed.
//
// Threads: the thread that owns the window (the user-interface thread).
#pragma once

#include <windows.h>

#include "app/settings.h"

namespace vantor {

// The window's normal (restored) rectangle in screen coordinates. A minimised window's own rectangle is the
// small iconic one (about 160 x 28, or off screen), which the next start would open with.
Rect32 restoredWindowRect(HWND window);

} // namespace vantor

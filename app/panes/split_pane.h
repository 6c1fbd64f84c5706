// The two side-by-side panes of the main window ("SplitBase Class") with the draggable bar between them:
// the left pane holds the window list host, the right pane the section toolbar above the output pane.
// Threads: the user-interface thread only.
#pragma once

#include <windows.h>

namespace vantor {

// A pane and the rectangle (in its client coordinates) its content is to occupy.
struct PanePlacement {
    HWND pane;
    RECT content;
};

// Registers "SplitBase Class"; nonzero on success.
ATOM registerSplitPaneClass(HINSTANCE instance);
// Creates both panes in the frame's client area, the left one leftWidth wide; 1 on success, 0 when a pane
// cannot be created.
int createSplitPanes(HWND frame, int leftWidth, PanePlacement* left, PanePlacement* right);
// Creates the window of the class that fills the pane and follows its size (control id 1); null on failure.
HWND createPaneContent(const PanePlacement& placement, const char* className);
// Places both panes again; leftWidth -1 keeps the left pane's current width. Stores the width in the
// settings (ListWidth).
void layoutSplitPanes(HWND frame, int leftWidth);

} // namespace vantor

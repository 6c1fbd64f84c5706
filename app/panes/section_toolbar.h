// The section toolbar (id 104, top of the right pane): one text button per report section whose command id
// is the section's report line, or the single stop button while monitoring; and the enabling of the four
// capture items of the Operation menu.
// Threads: the user-interface thread; workers reach it through synchronous messages (app/capture_ui_win32).
#pragma once

#include <windows.h>

#include "app/panes/menu_state.h"

namespace vantor {

HWND createSectionToolbar(HWND parent);
// Appends a text-only, auto-sized button; a button that does not fit the row starts a new row, and the
// right pane's layout grows the toolbar to show it.
void addSectionButton(const char* caption, int commandId);
// Deletes every button (the string pool keeps its strings).
void clearSectionButtons();
// The height the toolbar needs at its current width: its rows of buttons as wrapped, at least minimum.
int sectionToolbarHeight(int minimum);
// Enables and greys the four capture items of the main window's menu.
void applyMenuState(MenuState state);

} // namespace vantor

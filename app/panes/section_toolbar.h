// The section toolbar (id 104, top of the right pane): one text button per report section whose command id
// is the section's report line, or the single stop button while monitoring; and the enabling of the four
// capture items of the Operation menu.
// Threads: the user-interface thread; workers reach it through synchronous messages (app/capture_ui_win32).
#pragma once

#include <windows.h>

#include "app/panes/menu_state.h"

namespace vantor {

HWND createSectionToolbar(HWND parent);
// Appends a text-only, auto-sized button. Buttons beyond the toolbar's width are reached through the ">>"
// button at its right end, which lists them in a menu.
void addSectionButton(const char* caption, int commandId);
// Deletes every button (the string pool keeps its strings).
void clearSectionButtons();
// The toolbar's height in the right pane.
constexpr int kSectionToolbarHeight = 24;
// Places the toolbar at the top of the right pane, and the ">>" button (id 105) at its right end while some
// buttons do not fit; after a resize and whenever the buttons change.
void placeSectionToolbar();
// True for the ">>" button, whose click (a WM_COMMAND to the right pane) shows the menu of the buttons that
// do not fit; a section chosen there goes to the right pane as that button's click does.
bool isSectionMoreButton(HWND window);
void showSectionMenu();
// Enables and greys the four capture items of the main window's menu.
void applyMenuState(MenuState state);

} // namespace vantor

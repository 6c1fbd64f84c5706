// The window list pane: the host window (class "list view") that fills the left pane and the one-column
// report list view in it (id 101). It lists the children of windowRoot, one row each, and a selected row
// starts a window capture.
// Threads: the user-interface thread (workers reach the list only through synchronous messages).
#pragma once

#include <windows.h>

#include "inventory/text_node.h"

namespace vantor {

// Window procedure of the "list view" class (registered by the main window's creation).
LRESULT CALLBACK listHostProc(HWND host, UINT message, WPARAM wParam, LPARAM lParam);
HWND createWindowListView(HWND host);
// Redraws the list from the root's children (null: only the column); keeps the last visible row in view.
void fillWindowList(HWND listView, const WindowNode* root);
// Inserts the row "first [second]" at index.
void insertRow(HWND listView, int index, const char* first, const char* second);
// Rebuilds the children of windowRoot from the desktop and redraws the list from them (CMD_REFRESH_LIST).
void refreshWindowList();

} // namespace vantor

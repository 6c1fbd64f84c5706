// Menu capture: reading a menu (a window's menu bar or a pop-up menu) into the capture text tree, and the
// added-menu section that records menus other applications open.
//
// Threads: captureMenuBar and buildMenuTree on the capture worker (through the dispatcher);
// captureAddedMenu on the user-interface thread (hook intake). All of them take the capture lock themselves
// and must be called without it; addMenuItems touches only the node it is given.
#pragma once

#include "inventory/text_node.h"
#include "platform/platform.h"

namespace vantor {

// The menu and window of the last added-menu section; both start as none and are never reset.
// User-interface thread only.
extern Hmenu lastAddedMenu;
extern Hwnd lastAddedMenuWindow;

// Replaces the capture text tree by the items of the window's menu bar.
void captureMenuBar(Hwnd window);
// Replaces the capture text tree by the items of menu; when menu has no items, by those of the menu bar of
// the window or its nearest ancestor that has one. Leaves the tree unchanged when none is found or window
// is none. Writes nothing into the report.
void buildMenuTree(Hwnd window, Hmenu menu);
// Adds the items of menu below parent (text cut at its first tab; value = command id, or -1 with the
// sub-menu's items as children). A sub-menu that is already open on the path above is not entered again.
void addMenuItems(Hmenu menu, TextNode* parent);
// Appends an added-menu section for a menu another application opened and shows the report. Ignored for
// the program's own windows and when the menu or the window equals the last added one.
void captureAddedMenu(Hwnd window, Hmenu menu);

// The detached tree buildMenuTree would install: a new root (text = window title, or class name when the
// title is empty; window = the window whose menu was read) with the items, or null when no menu with items
// was found. The caller owns it. Takes no lock.
TextNode* readMenuTree(Hwnd window, Hmenu menu);

} // namespace vantor

// The readers of other processes' status bars, tab controls, toolbars and tree views, through a
// RemoteBuffer in the target's pointer width. The status bar reader appends to `report`; the others rebuild
// `captureTree` (only when the control has at least one item).
//
// Threads: the capture worker and the monitor pass; readTreeItemText also the user-interface thread (hot-key
// capture). They take the capture lock around their uses of `report` and `captureTree` themselves.
// Texts returned by these functions are heap strings the caller releases with delete[].
#pragma once

#include <cstdint>

#include "inventory/text_node.h"
#include "platform/platform.h"

namespace vantor {

// One line per status bar part of at least 2 bytes, or the failure line.
void readStatusBar(Hwnd);
// captureTree = root with one child per tab (value = index, text = label).
void readTabControl(Hwnd);
// captureTree = root with one child per button (value = idCommand, text = button text).
void readToolbar(Hwnd);
// The text of the toolbar's button with this command id (empty when unknown); null when no exchange could
// be made. The caller releases it with delete[].
char* readToolbarButtonText(Hwnd toolbar, int commandId);
// captureTree = root with the tree view's items, nested as in the control.
void readTreeView(Hwnd);
// Appends the children of parentItem (recursively) under parentNode.
void readTreeChildren(Hwnd treeView, std::uintptr_t parentItem, TextNode* parentNode);
// The item's text, or null when no exchange could be made. The caller releases it with delete[].
char* readTreeItemText(Hwnd treeView, std::uintptr_t item);

} // namespace vantor

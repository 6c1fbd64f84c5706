// The readers of other processes' status bars, tab controls, toolbars and tree views, through a
// RemoteBuffer in the target's pointer width. The status bar reader appends to `report`; the others rebuild
// `captureTree` (only when the control has at least one item).
//
// Threads: the capture worker and the monitor pass; readTreeItemText also the user-interface thread (hot-key
// capture). They take the capture lock around their uses of `report` and `captureTree` themselves, so they
// must be called without it. Texts returned by these functions are heap strings the caller releases with
// delete[].
//
// No query is sent when the control's process or a block in it cannot be had: the status bar reader then
// writes the failure line, the tree-building readers leave captureTree as it was and the text readers
// return null. A control that stops answering (time-out) is asked nothing more in that call: the text that
// went unanswered is empty and what was read before it stays. Texts of the status bar and toolbar buttons,
// whose messages take no capacity, are measured first and read whole through a block large enough.
//
// A toolbar and a tree view are read through one process handle and one block for the whole control: the
// messages go out in the same order as one query at a time would send them, and the records and texts are
// read back together (tree texts 256 at a time). If that read-back fails (the process has ended) the tree
// stays as it was. The tree walk ends at an item already visited (a tree that leads back), below 512 levels
// or after 500,000 items, keeping the items read so far. readTreeItemText and readToolbarButtonText read a
// single item through a buffer of their own.
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
// Appends the children of parentItem (recursively) under parentNode, a node no other thread can reach,
// through a buffer of its own. Stops when the items cannot be read.
void readTreeChildren(Hwnd treeView, std::uintptr_t parentItem, TextNode* parentNode);
// The item's text, or null when no exchange could be made. The caller releases it with delete[].
char* readTreeItemText(Hwnd treeView, std::uintptr_t item);

} // namespace vantor

// The readers of other processes' status bars, tab controls, toolbars and tree views, through a
// RemoteBuffer in the target's pointer width. Each reads its control into a section model
// (capture/section_model.h; read...Section); the forms without a model are for callers that still keep the
// shared records: the status bar reader appends its formatted section to `report`, the others rebuild
// `captureTree` (only when the control has at least one item).
//
// Threads: the capture worker and the monitor pass; readTreeItemText also the user-interface thread (hot-key
// capture). They take the session's capture lock around their uses of its report and tree themselves, so they
// must be called without it.
//
// No query is sent when the control's process or a block in it cannot be had: the status bar reader then
// writes the failure line (its model is Failed), the tree-building readers leave captureTree as it was and
// the text readers return false. A control that stops answering (time-out) is asked nothing more in that
// call: the text that went unanswered is empty and what was read before it stays. Texts of the status bar and
// toolbar buttons, whose messages take no capacity, are measured first and read whole through a block large
// enough.
//
// A toolbar and a tree view are read through one process handle and one block for the whole control: the
// messages go out in the same order as one query at a time would send them, and the records and texts are
// read back together (tree texts 256 at a time). If that read-back fails (the process has ended) the tree
// stays as it was. The tree walk ends at an item already visited (a tree that leads back), below 512 levels
// or after 500,000 items, keeping the items read so far. readTreeItemText and readToolbarButtonText read a
// single item through a buffer of their own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "capture/read_path.h"
#include "capture/section_model.h"
#include "inventory/text_node.h"
#include "platform/platform.h"

namespace vantor {

class CaptureSession;

// The status bar's parts (id = part index, every part read, whatever its length).
void readStatusBarSection(Hwnd statusBar, SectionModel* model);
// The tabs (id = index, text = label).
void readTabControlSection(Hwnd tabControl, SectionModel* model);
// The buttons (id = idCommand, text = button text).
void readToolbarSection(Hwnd toolbar, SectionModel* model);
// The tree view's items in walk order with their depths (handle = the item), through the bulk path when
// the hook library answers, across processes otherwise (model->path says which).
void readTreeViewSection(Hwnd treeView, ReadPathChoice choice, SectionModel* model);

// Makes the items the capture text tree (root: the text of the control's top-level window, the control as
// its window); no items leave the tree as it was. Takes the capture lock.
void installCaptureTree(CaptureSession& session, Hwnd control, const std::vector<SectionItem>& items);

// One line per status bar part of at least 2 bytes, or the failure line.
void readStatusBar(CaptureSession& session, Hwnd);
// captureTree = root with one child per tab (value = index, text = label).
void readTabControl(CaptureSession& session, Hwnd);
// captureTree = root with one child per button (value = idCommand, text = button text).
void readToolbar(CaptureSession& session, Hwnd);
// The text of the toolbar's button with this command id (empty when unknown); false when no exchange could
// be made.
bool readToolbarButtonText(Hwnd toolbar, int commandId, std::string* text);
// captureTree = root with the tree view's items, nested as in the control.
void readTreeView(CaptureSession& session, Hwnd);
// Appends the children of parentItem (recursively) under parentNode, a node no other thread can reach,
// through a buffer of its own. Stops when the items cannot be read.
void readTreeChildren(Hwnd treeView, std::uintptr_t parentItem, TextNode* parentNode);
// The item's text; false when no exchange could be made.
bool readTreeItemText(Hwnd treeView, std::uintptr_t item, std::string* text);

} // namespace vantor

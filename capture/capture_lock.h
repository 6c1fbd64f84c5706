// The capture lock: the one mutex that keeps the two writers of the report and of the capture text tree
// apart. Those writers are the capture worker (full capture, monitoring pass; capture/dispatcher.h and the
// readers it calls) and the user-interface thread (added-menu capture, capture/menu_capture.h; hot-key
// list-view capture). Any thread may take it.
//
// The rule every engine file follows:
//   1. Hold the lock around every use of `report` (append, clear, reading text or lineCount), of
//      `captureTree` (discard, replace, print) and of `textSeen`. One locked region is one unit that must
//      not be split: a section header together with the line number taken for its button, one item line
//      (or all lines a reader gathered), the print of a tree together with its failure line.
//   2. Never hold it across a call of captureUi(): the application answers those calls with synchronous
//      messages to its user-interface thread, and that thread may be waiting for this lock in the
//      added-menu capture. Take the line number under the lock, release, then call addSectionButton.
//      To refresh the pane call showReportInPane() with the lock released (it takes the lock itself to
//      copy the report and calls the user interface after releasing it).
//   3. Never hold it across a window message (WindowSystem::sendMessage, windowText): the captured window
//      may belong to this program's own user-interface thread, which cannot answer while it waits here.
//      Query first into local memory, then lock and append.
//   4. A reader that builds a tree builds it detached (a fresh root, no lock needed) and installs it with
//      replaceCaptureTree() under the lock, only when it read at least one item.
//   5. The lock is not recursive: printTextTree and replaceCaptureTree expect it held by the caller; every
//      other engine function takes it itself and must be called without it.
//
// Between two locked regions of a running capture another writer may append a whole added-menu section;
// it never lands inside a region. So that such a menu cannot replace the tree a capture section has just
// read and not yet printed, the dispatcher claims the tree (captureTreeClaimed) for the span of its window's
// sections; while it is claimed the added-menu capture prints its menu from a tree of its own.
#pragma once

#include "inventory/text_node.h"

namespace vantor {

// Takes the capture lock for the lifetime of the object (RAII, like std::lock_guard).
class CaptureLock {
  public:
    CaptureLock();
    ~CaptureLock();
    CaptureLock(const CaptureLock&) = delete;
    CaptureLock& operator=(const CaptureLock&) = delete;
};

// Whether the calling thread holds the capture lock (for checks in tests and debug code).
bool captureLockHeldByThisThread();
// How many times any thread has taken the lock so far (lets a test see another thread get through).
unsigned long long captureLockAcquisitions();

// Tests only: a function run on the releasing thread right after each release of the lock, so that a
// test can put another writer's work exactly between two locked regions. Null (none) in the program.
void setCaptureLockReleaseHook(void (*hook)());

// Set while a capture section owns captureTree (from discarding its items to printing them). Read and
// written only with the lock held.
extern bool captureTreeClaimed;

// Destroys the whole capture text tree and makes root (a detached, filled root) the new captureTree.
// Caller holds the lock.
void replaceCaptureTree(TextNode* root);
// Destroys every item of captureTree, leaving an empty root. Caller holds the lock.
void discardCaptureTreeItems();

} // namespace vantor

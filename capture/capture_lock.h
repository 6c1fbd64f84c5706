// The capture lock: the one mutex that keeps the two writers of the report and of the capture text tree
// apart. Those writers are the capture worker (full capture, monitoring pass; capture/dispatcher.h and the
// readers it calls) and the user-interface thread (added-menu capture, capture/menu_capture.h; hot-key
// list-view capture). Any thread may take it.
//
// The rule every engine file follows:
//   1. The report, the capture text tree, its claim and the list separator of the running capture are
//      reached only through a CaptureLock, so every use of them is a locked region. One region is one unit
//      that must not be split: a section header together with the line number taken for its button, one item
//      line (or all lines a reader gathered), the print of a tree together with its failure line.
//   2. Never hold it across a call of captureUi(): the application answers those calls with synchronous
//      messages to its user-interface thread, and that thread may be waiting for this lock in the
//      added-menu capture. Take the line number under the lock, release, then call addSectionButton.
//      To refresh the pane call showReportInPane() with the lock released (it takes the lock itself to
//      copy the report and calls the user interface after releasing it).
//   3. Never hold it across a window message (WindowSystem::sendMessage, windowText): the captured window
//      may belong to this program's own user-interface thread, which cannot answer while it waits here.
//      Query first into local memory, then lock and append.
//   4. A reader that builds a tree builds it detached (a fresh root, no lock needed) and installs it with
//      CaptureLock::replaceTree, only when it read at least one item.
//   5. The lock is not recursive: functions that take a CaptureLock& run inside the caller's region; every
//      other engine function takes the lock itself and must be called without it.
//
// Between two locked regions of a running capture another writer may append a whole added-menu section;
// it never lands inside a region. So that such a menu cannot replace the tree a capture section has just
// read and not yet printed, the dispatcher claims the tree (CaptureLock::treeClaimed) for the span of its
// window's sections; while it is claimed the added-menu capture prints its menu from a tree of its own.
//
// The shared records exist between createCaptureState and destroyCaptureState (capture/capture_state.h).
#pragma once

#include <string>

#include "capture/report_buffer.h"
#include "inventory/text_node.h"

namespace vantor {

struct CaptureState;

// Takes the capture lock for the lifetime of the object (RAII, like std::lock_guard) and hands out the
// records it guards. Only valid while the capture state exists.
class CaptureLock {
  public:
    CaptureLock();
    ~CaptureLock();
    CaptureLock(const CaptureLock&) = delete;
    CaptureLock& operator=(const CaptureLock&) = delete;

    // The report all captures write into.
    ReportBuffer& report();
    // Root of the capture text tree; never null. Its own text is never printed.
    TextNode* tree();
    // Destroys the whole tree and makes root (a detached, filled root) the new tree.
    void replaceTree(TextNode* root);
    // Destroys every item of the tree, leaving an empty root.
    void discardTreeItems();
    // Set while a capture section owns the tree (from discarding its items to printing them).
    bool treeClaimed() const;
    void setTreeClaimed(bool claimed);
    // The list-view column separator of the running capture, given when the capture starts.
    const std::string& listSeparator() const;
    void setListSeparator(const char* separator);

  private:
    CaptureState& state;
};

// Appends text to the report as one locked region (nothing for an empty text). Call it without the lock.
void appendToReport(const std::string& text);

// Start-up and shutdown (createCaptureState, destroyCaptureState): fresh records, and their release.
void resetCaptureRecords();
void releaseCaptureRecords();

// Whether the calling thread holds the capture lock (for checks in tests and debug code).
bool captureLockHeldByThisThread();
// How many times any thread has taken the lock so far (lets a test see another thread get through).
unsigned long long captureLockAcquisitions();

// Tests only: a function run on the releasing thread right after each release of the lock, so that a
// test can put another writer's work exactly between two locked regions. Null (none) in the program.
void setCaptureLockReleaseHook(void (*hook)());

} // namespace vantor

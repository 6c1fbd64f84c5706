// The capture lock: the mutex of one capture session that keeps its writer (the thread that runs the
// capture) and its readers on other threads (the output pane showing a running capture's report) apart.
//
// The rule every engine file follows:
//   1. A session's report and capture text tree are reached only through a CaptureLock on it, so every use
//      of them is a locked region. One region is one unit: a section header together with the line number
//      taken for its button, one item line (or all lines a reader gathered), the print of a tree together
//      with its failure line.
//   2. Never hold it across a call of the session's user interface: the application answers those calls
//      with synchronous messages to its user-interface thread, which may be waiting for this lock to read
//      the report. Take the line number under the lock, release, then call addSectionButton; refresh the
//      pane with CaptureSession::showProgress, which takes the lock only for its snapshot.
//   3. Never hold it across a window message (WindowSystem::sendMessage, windowText): the captured window
//      may belong to this program's own user-interface thread. Query first into local memory, then lock
//      and append.
//   4. A reader that builds a tree builds it detached and installs it with replaceTree, only when it read
//      at least one item.
//   5. The lock is not recursive: functions that take a CaptureLock& run inside the caller's region; every
//      other engine function takes the lock itself and must be called without it.
//
// Another session's added-menu section never enters a running session's report inside a region, nor
// inside a section: it waits until the section being written is complete (CaptureSession::landAdditions).
#pragma once

#include <memory>
#include <string>

#include "capture/capture_session.h"
#include "capture/report_buffer.h"
#include "inventory/text_node.h"

namespace vantor {

// Takes the session's lock for the lifetime of the object (RAII, like std::lock_guard) and hands out the
// records it guards.
class CaptureLock {
  public:
    explicit CaptureLock(CaptureSession& session);
    ~CaptureLock();
    CaptureLock(const CaptureLock&) = delete;
    CaptureLock& operator=(const CaptureLock&) = delete;

    // The session's report.
    ReportBuffer& report();
    // Root of the session's capture text tree; never null. Its own text is never printed.
    TextNode* tree();
    // Destroys the whole tree and makes root (a detached, filled root) the new tree.
    void replaceTree(std::unique_ptr<TextNode> root);
    // Destroys every item of the tree, leaving an empty root.
    void discardTreeItems();
    // The list-view column separator of the session.
    const std::string& listSeparator() const;

  private:
    CaptureSession& session;
};

// Appends text to the session's report as one locked region (nothing for an empty text). Call it without
// the lock.
void appendToReport(CaptureSession& session, const std::string& text);
// The session's report as a text ("" when empty), copied under the lock.
std::string reportSnapshot(CaptureSession& session);

// Whether the calling thread holds a capture lock (for checks in tests and debug code).
bool captureLockHeldByThisThread();
// How many times any thread has taken a capture lock so far (lets a test see another thread get through).
unsigned long long captureLockAcquisitions();

// Tests only: a function run on the releasing thread right after each release of a lock, so that a test
// can put another writer's work exactly between two locked regions. Null (none) in the program.
void setCaptureLockReleaseHook(void (*hook)());

} // namespace vantor

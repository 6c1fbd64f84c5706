// State the capture engine shares between the capture worker, the monitor pass and the user-interface
// thread: the three flags, the capture text tree and its "text seen" mark, and the failure line.
// The flags are atomic; the tree and the report are guarded by the capture lock (capture/capture_lock.h).
#pragma once

#include <atomic>

#include "inventory/text_node.h"

namespace vantor {

// A capture or monitoring pass runs.
extern std::atomic<bool> captureRunning;
// The user interface asks the running capture to stop; polled before each window and list-view query.
extern std::atomic<bool> stopRequested;
// Periodic monitoring is on.
extern std::atomic<bool> monitoringActive;

// Root of the capture text tree; never null after start-up (createCaptureState). The tree-building readers
// replace it as a whole; the root's own text is never printed.
extern TextNode* captureTree;
// Set by printTextTree whenever it writes a node.
extern bool textSeen;

// The report line of a reader that obtained nothing.
extern const char kFailureLine[];

// Creates the report, the empty capture tree and windowRoot ("Root Window"); destroys them again.
void createCaptureState();
void destroyCaptureState();

} // namespace vantor

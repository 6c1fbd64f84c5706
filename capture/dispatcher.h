// The capture dispatcher: one window (and in a full capture all windows below it) into report sections,
// and the printing of the capture text tree.
//
// Threads: captureWindow runs on the thread of its session's capture and takes the session's lock itself
// (call it without the lock). printTextTree runs inside the caller's locked region (capture/capture_lock.h).
#pragma once

#include "capture/capture_lock.h"
#include "capture/capture_session.h"
#include "inventory/text_node.h"
#include "platform/platform.h"

namespace vantor {

// Writes the window's section by its kind of control and runs its reader. full: also section buttons, the
// menu bar section and, depth first, every child window; otherwise (a monitoring pass) only the window's
// own section, where edit and static controls also get one. Returns at once when the session's stop is
// requested. When the session keeps models, the model of every section written is kept there, in report
// order. Added-menu sections given to the session meanwhile land after the section being written.
void captureWindow(CaptureSession& session, Hwnd window, bool full);

// Writes the sibling chain that starts at node, with all descendants, into the report: texts of at least
// 2 bytes, one per line; a top-level item with no prefix stands at the margin, every deeper item (and any
// item when a prefix is given) after the prefix, two spaces per level and "+ "; with withValue, values
// above 0 follow as " [value]". Any depth. True when it wrote at least one line.
bool printTextTree(CaptureLock& hold, const TextNode* node, const char* prefix, bool withValue);

} // namespace vantor

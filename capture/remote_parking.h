// Remote blocks a control may still write into. A query whose message went unanswered (time-out, hung
// target) stays in the target's queue: the target may answer it later and write its record and text into
// the block it was given. Such a block must not be freed while that can happen, or the late answer writes
// into memory the other application has since used for something else. RemoteBuffer hands it here instead.
//
// A parked block is released once its control has answered a later message (sent messages are answered in
// the order they were sent, so the late query has been dealt with) or its window is gone. Until then the
// control is asked nothing through a new block, so there is at most one parked block per control. Blocks
// still parked at shutdown are left to the target's process (abandonRemote) and only the handle is closed.
//
// Threads: any thread (the capture worker, the user-interface thread for the hot-key captures); one mutex
// guards the list, and no message is sent while it is held.
#pragma once

#include "platform/platform.h"

namespace vantor {

// Takes over the block and the process handle that came with it.
void parkRemoteBlock(Hwnd control, Hproc process, RemoteAddr block);
// True when the control has no parked block any more: none was parked, or the control now answers (or its
// window is gone) and the block was released. False when the control still does not answer: nothing may be
// sent to it through a new block.
bool settleParkedBlock(Hwnd control);
// Shutdown (and the end of each test): each parked block is released when its control answers now or is
// gone, otherwise abandoned to the target's process; every handle is closed. The list is empty afterwards.
void settleAllParkedBlocks();
int parkedBlocks();

} // namespace vantor

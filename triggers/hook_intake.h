// The hook intake: takes the records msghook.dll has queued and hands each menu event of another
// application to the added-menu capture, which writes it into the report.
//
// Threads: the user-interface thread (the main loop, each time the hook event is signalled), without the
// capture lock held; captureAddedMenu takes the lock itself for each section it writes.
#pragma once

namespace vantor {

// Does nothing while the capture of context menus (the user's setting, given by the caller) is off: the
// records then stay queued in the library.
// Otherwise pops batches of up to 10 records until the library answers 0 and handles each in order:
// WM_INITMENU and WM_INITMENUPOPUP, and WM_ENTERIDLE from a menu loop (wParam 2), go to captureAddedMenu
// with the window and wParam; WM_CREATE writes one debug line; anything else is ignored.
void drainHookMessages(bool captureContextMenu);

} // namespace vantor

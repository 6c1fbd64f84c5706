// The hook intake: takes the records msghook.dll has queued and hands each menu event of another
// application to the added-menu capture, which writes it into the report the pane shows.
//
// Threads: the user-interface thread (the main loop, each time the hook event is signalled and whenever the
// time it asked for has passed), without a capture lock held; writeAddedMenu takes the lock itself for
// each section it writes.
#pragma once

#include <cstdint>

namespace vantor {

class CaptureController;

// What drainHookMessages returns when it needs no call before the next signal of the hook event.
constexpr unsigned kIntakeIdle = 0xFFFFFFFFu;

// Takes up to a bounded number of queued records and handles each in order. While the capture of context
// menus (the user's setting, given by the caller) is off, what it takes is discarded, so that no stale menu
// waits in the library for the setting to be turned on. Otherwise WM_INITMENU (a menu loop begins: its
// first menu is taken even from the window of the last one), WM_INITMENUPOPUP, and WM_ENTERIDLE from a
// menu loop (wParam 2) become added-menu sections, subject to these bounds against forged or flooding
// records:
//   - a record whose window's thread shows no pop-up menu any more adds nothing (the menu it names is gone);
//   - a record equal to one taken less than kIntakeRepeatMs before is dropped;
//   - at most kIntakeSectionsPerSecond added-menu sections are taken within any kIntakeWindowMs.
// A menu taken while a capture or monitoring pass runs is read at once and held (at most kIntakeHeld), and
// its section is written once the capture has ended, never between two sections of it. WM_CREATE writes
// one debug line; anything else is ignored.
// Returns after how many milliseconds it wants to be called again (records left, held menus, or the
// library's queue lock held elsewhere), or kIntakeIdle.
unsigned drainHookMessages(bool captureContextMenu, CaptureController& controller);

constexpr unsigned kIntakeRepeatMs = 1000;
constexpr unsigned kIntakeWindowMs = 1000;
constexpr int kIntakeSectionsPerSecond = 10;
constexpr int kIntakeHeld = 16;
// Records taken in one call at most: the user-interface thread goes back to its messages in between.
constexpr int kIntakeRecordsPerCall = 100;

// Tests: forgets the held menus and the records and sections seen so far, and sets the clock (milliseconds;
// null for the steady clock).
void resetHookIntake(std::uint64_t (*clock)() = nullptr);

} // namespace vantor

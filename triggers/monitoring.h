// Periodic monitoring without the window system, so that it runs on the fake desktop too: the start of
// monitoring (menu command with the window list's selected row, or the hot key with the foreground window),
// the control list and the windows behind its rows, the timer tick, one monitoring pass, and the stop.
// The application supplies the MonitorHost: the Monitor dialog, the menu state, the window list's rows, the
// timer, the pass thread, and the requests a pass makes of the user-interface thread.
//
// Threads: startMonitoring, onMonitorTimer, stopMonitoring, watchedControls and windowOfListRow run on the
// user-interface thread; runMonitorPass on its own worker thread, on its own session. None of them may be
// called with a capture lock held.
//
// Monitoring keeps one report (a session made when it starts, the one the pane shows); each pass writes
// into a session of its own and appends what it wrote to that report when it ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "capture/control_list.h"
#include "platform/platform.h"
#include "triggers/capture_commands.h"

namespace vantor {

// The stop command (menu item, the "終了" button, and a pass that finds a watched window gone).
constexpr int kStopMonitorCommand = 32792;
// The label of the one section button while monitoring.
extern const char kStopButtonLabel[];
// The menu command's selection errors and their caption.
extern const char kSeveralRowsSelectedText[];
extern const char kNoRowSelectedText[];
extern const char kSelectionErrorCaption[];
// What a pass appends when a watched window has gone.
extern const char kWatchedWindowGoneText[];

class MonitorHost : public CommandHost {
  public:
    // The owner of the selection error boxes.
    virtual Hwnd mainWindow() = 0;
    // This program's window list: its selection names the window to monitor, then the watched controls.
    virtual Hwnd windowList() = 0;
    // Runs the Monitor dialog; false when it was cancelled.
    virtual bool runMonitorDialog() = 0;
    // The monitoring interval in units of 100 ms, as the dialog left it.
    virtual std::int32_t monitorInterval() = 0;
    // Sets the four capture items of the menu for monitoring (true) or idle (false).
    virtual void applyMenuState(bool monitoring) = 0;
    // Replaces the window list's rows by the control list (row k shows rows[k]).
    virtual void showControlRows(const std::vector<ControlRow>& rows) = 0;
    // (Re)starts the monitoring timer with the period; each tick calls onMonitorTimer.
    virtual void startMonitorTimer(unsigned periodMs) = 0;
    // Stops the monitoring timer (pending ticks are dropped with it). From a pass it waits until the
    // user-interface thread has done it.
    virtual void killMonitorTimer() = 0;
    // Starts runMonitorPass(*this, *pass, *report) on a new detached thread; false when no thread could
    // start.
    virtual bool startPassThread(std::shared_ptr<CaptureSession> pass,
                                 std::shared_ptr<CaptureSession> report) = 0;
    // From a pass: watchedControls(windowList()) carried out on the user-interface thread, in one step.
    virtual std::vector<Hwnd> takeWatchedControls() = 0;
    // From a pass: the report from byte `start` on is `text`; the output pane, which shows the report up to
    // some point at or after start, adds only what it does not show yet (or shows the whole report when it
    // holds something else).
    virtual void showReportFrom(std::size_t start, const std::string& text) = 0;
    // From a pass: has the user-interface thread run the stop command, and waits until it has.
    virtual void requestStopMonitoring() = 0;
    // Rebuilds the window list from the top-level windows (user-interface thread).
    virtual void refreshWindowList() = 0;
};

// The windows behind the rows of the control list: entry k is row k of the window list while monitoring
// is on. Refilled when monitoring starts; user-interface thread only (a pass works on its own copy).
std::vector<Hwnd>& controlHandles();

// The window a row of the window list stands for: entry `row` of controlHandles while monitoring is on,
// else child `row` of windowRoot; none when there is no such entry.
Hwnd windowOfListRow(int row, const CaptureController& controller);

// The timer period for an interval in units of 100 ms, kept within what a timer accepts.
unsigned monitorPeriodMs(std::int32_t interval);

// Starts monitoring window (the hot key), or the window of the window list's one selected row (none given:
// the menu command). False when nothing started: the user kept a running capture, the selection was not
// one row, no window, or the Monitor dialog was cancelled.
bool startMonitoring(Hwnd window, MonitorHost& host);

// A tick of the monitoring timer: starts a pass unless one (or any capture) runs; a dropped tick is not
// made up later. True when a pass was started.
bool onMonitorTimer(MonitorHost& host);

// The snapshot a pass works from, taken on the user-interface thread: the windows of listView's selected
// rows, in row order, from controlHandles.
std::vector<Hwnd> watchedControls(Hwnd listView);

// One monitoring pass (the body of the pass thread) into its own session, whose text goes to the end of
// the monitoring report when it ends.
void runMonitorPass(MonitorHost& host, CaptureSession& pass, CaptureSession& report);

// The stop command: monitoring off, timer stopped, a running pass stopped (without asking; the wait keeps
// serving the pass's messages), the section buttons removed, the menu idle and the window list refreshed.
void stopMonitoring(MonitorHost& host);

} // namespace vantor

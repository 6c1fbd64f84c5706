// Periodic monitoring without the window system: start, control list mapping, tick, pass and stop.
// Threads: as declared in triggers/monitoring.h. The report is touched only under the capture lock, never
// across a window message or a call of the host or of the user interface.
#include "triggers/monitoring.h"

#include <cstdio>
#include <cstring>

#include "capture/capture_lock.h"
#include "capture/capture_state.h"
#include "capture/capture_ui.h"
#include "capture/dispatcher.h"
#include "capture/report_buffer.h"
#include "capture/selected_rows.h"
#include "inventory/text_node.h"

namespace vantor {

const char kStopButtonLabel[] = "終了";
const char kSeveralRowsSelectedText[] = "アイテムが複数選択されています";
const char kNoRowSelectedText[] = "アイテムが選択されていません";
const char kSelectionErrorCaption[] = "エラー";
const char kWatchedWindowGoneText[] = "\r\nウインドウが存在しません\r\n";

namespace {

constexpr unsigned kStopWaitStepMs = 100;
// The largest period a timer accepts (USER_TIMER_MAXIMUM).
constexpr std::int64_t kMaxPeriodMs = 0x7FFFFFFF;
// Bytes before a pass's first new byte that go with its publication, so that the pane can check it still
// shows the report the pass appended to.
constexpr std::size_t kPublishAnchor = 64;

std::size_t reportLength() {
    CaptureLock hold;
    return hold.report().length();
}

// Shows what the pass added since byte `base`: only that part (and a short anchor before it) crosses to
// the user-interface thread, so that a publication costs what the pass added, not the whole report.
void publishSince(std::size_t base, MonitorHost& host) {
    std::string text;
    std::size_t start = 0;
    {
        CaptureLock hold;
        const ReportBuffer& report = hold.report();
        const std::size_t length = report.length();
        if (base > length) base = length; // cleared meanwhile: the pane gets the whole report
        start = base > kPublishAnchor ? base - kPublishAnchor : 0;
        if (report.text != nullptr) text.assign(report.text + start, length - start);
    }
    host.showReportFrom(start, text);
}

// A pass that finds the stop request: the timer goes first, while captureRunning still holds the waiting
// user-interface thread, so that a timer a new monitoring start sets afterwards is never the one killed.
void stopPassOnRequest(RunningFlag& running, MonitorHost& host) {
    stopRequested.store(false);
    host.killMonitorTimer();
    running.release();
}

bool startPass(MonitorHost& host) {
    // Marked running before the thread starts, so that a tick in between cannot start a second pass.
    captureRunning.store(true);
    if (!host.startPassThread()) {
        captureRunning.store(false);
        return false;
    }
    return true;
}

} // namespace

std::vector<Hwnd>& controlHandles() {
    static std::vector<Hwnd> handles;
    return handles;
}

Hwnd windowOfListRow(int row) {
    if (row < 0) return Hwnd{};
    if (monitoringActive.load()) {
        const std::vector<Hwnd>& handles = controlHandles();
        return static_cast<std::size_t>(row) < handles.size() ? handles[static_cast<std::size_t>(row)]
                                                              : Hwnd{};
    }
    if (windowRoot == nullptr) return Hwnd{};
    const TextNode* node = windowRoot->firstChild;
    for (int i = 0; node != nullptr && i < row; ++i)
        node = node->next;
    return node != nullptr ? node->window : Hwnd{};
}

unsigned monitorPeriodMs(std::int32_t interval) {
    const std::int64_t ms = static_cast<std::int64_t>(interval) * 100;
    if (ms <= 0) return 100;
    return static_cast<unsigned>(ms > kMaxPeriodMs ? kMaxPeriodMs : ms);
}

bool startMonitoring(Hwnd window, MonitorHost& host) {
    const bool forWindow = !isNull(window);
    if (forWindow) host.bringMainWindowToFront();
    if (!mayGoOn(askStopRunningCapture(currentTarget.load(), host))) return false;
    if (!forWindow) {
        const std::vector<std::int32_t> selected = collectSelectedRows(host.windowList());
        if (selected.size() > 1) {
            sys().messageBox(host.mainWindow(), kSeveralRowsSelectedText, kSelectionErrorCaption, kMbOk);
            return false;
        }
        if (selected.empty()) {
            sys().messageBox(host.mainWindow(), kNoRowSelectedText, kSelectionErrorCaption, kMbOk);
            return false;
        }
        window = windowOfListRow(selected[0]);
    }
    // No window (no foreground window, or a row without its node): nothing to monitor.
    if (isNull(window)) return false;
    if (!host.runMonitorDialog()) return false;
    takeListSeparator(host);
    host.applyMenuState(true);
    std::vector<ControlRow> rows;
    listControls(window, &rows);
    std::vector<Hwnd>& handles = controlHandles();
    handles.clear();
    for (const ControlRow& row : rows)
        handles.push_back(row.window);
    host.showControlRows(rows);
    captureUi().clearSectionButtons();
    clearReport();
    captureUi().addSectionButton(kStopButtonLabel, kStopMonitorCommand);
    host.resetPaneSelection();
    monitoringActive.store(true);
    host.startMonitorTimer(monitorPeriodMs(host.monitorInterval()));
    startPass(host);
    return true;
}

bool onMonitorTimer(MonitorHost& host) {
    // A tick while a pass (or a capture) runs is dropped; so is a tick left over after the stop.
    if (captureRunning.load() || !monitoringActive.load()) return false;
    return startPass(host);
}

std::vector<Hwnd> watchedControls(Hwnd listView) {
    // The pane already shows the report: the selection is read without refreshing it.
    const std::vector<std::int32_t> selected = collectSelectedRows(listView, false);
    const std::vector<Hwnd>& handles = controlHandles();
    std::vector<Hwnd> watched;
    std::size_t j = 0;
    for (std::size_t r = 0; r < handles.size() && j < selected.size(); ++r) {
        if (static_cast<std::int64_t>(r) == selected[j]) {
            watched.push_back(handles[r]);
            ++j;
        }
    }
    return watched;
}

void runMonitorPass(MonitorHost& host) {
    RunningFlag running;
    if (stopRequested.load()) {
        stopPassOnRequest(running, host);
        return;
    }
    // The pass works from its own copy: the user may change the selection while it runs.
    const std::vector<Hwnd> watched = host.takeWatchedControls();
    if (watched.empty()) return;
    const std::size_t base = reportLength();
    LocalTime t{};
    sys().localTime(&t);
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "\r\n====== %04d/%02d/%02d %02d:%02d:%02d ===================", t.year,
                  t.month, t.day, t.hour, t.minute, t.second);
    appendToReport(stamp);
    for (Hwnd window : watched) {
        if (stopRequested.load()) {
            stopPassOnRequest(running, host);
            return;
        }
        if (!ws().isWindow(window)) {
            appendToReport(kWatchedWindowGoneText);
            // The timer goes before the pass lets go of captureRunning, so that no tick starts another pass
            // in between; the stop command then finds no pass to wait for.
            host.killMonitorTimer();
            publishSince(base, host);
            running.release();
            host.requestStopMonitoring();
            return;
        }
        captureWindow(window, false);
    }
    publishSince(base, host);
    running.release();
    host.bringMainWindowToFront();
}

void stopMonitoring(MonitorHost& host) {
    monitoringActive.store(false);
    host.killMonitorTimer();
    if (captureRunning.load()) {
        stopRequested.store(true);
        // The pass may be sending to this thread right now: the wait keeps serving its messages.
        while (captureRunning.load())
            host.waitServingMessages(kStopWaitStepMs);
        stopRequested.store(false);
    }
    captureUi().clearSectionButtons();
    host.applyMenuState(false);
    host.refreshWindowList();
}

} // namespace vantor

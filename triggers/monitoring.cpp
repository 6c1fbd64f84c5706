// Periodic monitoring without the window system: start, control list mapping, tick, pass and stop.
// Threads: as declared in triggers/monitoring.h. A session's report is touched only under its lock, never
// across a window message or a call of the host or of the user interface.
#include "triggers/monitoring.h"

#include <cstdio>
#include <cstring>

#include "capture/capture_lock.h"
#include "capture/capture_ui.h"
#include "capture/dispatcher.h"
#include "capture/selected_rows.h"
#include "inventory/text_node.h"
#include "triggers/triggers_state.h"

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

// The pass's progress in the pane: the monitoring report with what the pass has written so far after it,
// as the pane shows it while monitoring.
class PassUi : public CaptureUi {
  public:
    PassUi(CaptureUi& ui, CaptureSession& report) : ui(ui), report(report) {}
    void addSectionButton(const char* label, int line) override { ui.addSectionButton(label, line); }
    void clearSectionButtons() override { ui.clearSectionButtons(); }
    void showReport(const char* text) override {
        const std::string whole = reportSnapshot(report) + (text != nullptr ? text : "");
        ui.showReport(whole.empty() ? nullptr : whole.c_str());
    }
    void showMainWindow() override { ui.showMainWindow(); }
    Hwnd mainWindow() override { return ui.mainWindow(); }

  private:
    CaptureUi& ui;
    CaptureSession& report;
};

// Appends the pass's text to the monitoring report; with host, shows what it added: only that part (and a
// short anchor before it) crosses to the user-interface thread, so that a publication costs what the pass
// added, not the whole report.
void appendPass(CaptureSession& pass, CaptureSession& monitorReport, MonitorHost* host) {
    const std::string added = reportSnapshot(pass);
    std::string text;
    std::size_t start = 0;
    {
        CaptureLock hold(monitorReport);
        const std::size_t base = hold.report().length();
        hold.report().append(added.data(), added.size());
        const ReportBuffer& report = hold.report();
        start = base > kPublishAnchor ? base - kPublishAnchor : 0;
        if (host != nullptr && report.text != nullptr)
            text.assign(report.text + start, report.length() - start);
    }
    if (host != nullptr) host->showReportFrom(start, text);
}

// A pass that finds the stop request: the timer goes first, while the running pass still holds the waiting
// user-interface thread, so that a timer a new monitoring start sets afterwards is never the one killed.
void stopPassOnRequest(SessionRun& running, MonitorHost& host) {
    host.killMonitorTimer();
    running.release();
}

bool startPass(MonitorHost& host) {
    CaptureController& controller = host.controller();
    const std::shared_ptr<CaptureSession> report = controller.shownSession();
    // Marked running before the thread starts, so that a tick in between cannot start a second pass.
    std::shared_ptr<CaptureSession> pass = controller.startSession(report->listSeparator());
    if (!host.startPassThread(pass, report)) {
        pass->end();
        return false;
    }
    return true;
}

} // namespace

std::vector<Hwnd>& controlHandles() {
    return triggersState().controlHandles;
}

Hwnd windowOfListRow(int row, const CaptureController& controller) {
    if (row < 0) return Hwnd{};
    if (controller.monitoring) {
        const std::vector<Hwnd>& handles = controlHandles();
        return static_cast<std::size_t>(row) < handles.size() ? handles[static_cast<std::size_t>(row)]
                                                              : Hwnd{};
    }
    if (windowRoot == nullptr) return Hwnd{};
    const TextNode* node = windowRoot->firstChild();
    for (int i = 0; node != nullptr && i < row; ++i)
        node = node->next();
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
    CaptureController& controller = host.controller();
    if (!mayGoOn(askStopRunningCapture(controller.currentTarget, host))) return false;
    if (!forWindow) {
        const std::vector<std::int32_t> selected =
            collectSelectedRows(host.windowList(), &controller.shown());
        if (selected.size() > 1) {
            sys().messageBox(host.mainWindow(), kSeveralRowsSelectedText, kSelectionErrorCaption, kMbOk);
            return false;
        }
        if (selected.empty()) {
            sys().messageBox(host.mainWindow(), kNoRowSelectedText, kSelectionErrorCaption, kMbOk);
            return false;
        }
        window = windowOfListRow(selected[0], controller);
    }
    // No window (no foreground window, or a row without its node): nothing to monitor.
    if (isNull(window)) return false;
    if (!host.runMonitorDialog()) return false;
    // The monitoring report, with the separator every pass of it uses.
    controller.show(controller.newSession(host.listSeparator()));
    host.applyMenuState(true);
    std::vector<ControlRow> rows;
    listControls(window, &rows);
    std::vector<Hwnd>& handles = controlHandles();
    handles.clear();
    for (const ControlRow& row : rows)
        handles.push_back(row.window);
    host.showControlRows(rows);
    controller.ui().clearSectionButtons();
    controller.ui().addSectionButton(kStopButtonLabel, kStopMonitorCommand);
    host.resetPaneSelection();
    controller.monitoring = true;
    host.startMonitorTimer(monitorPeriodMs(host.monitorInterval()));
    startPass(host);
    return true;
}

bool onMonitorTimer(MonitorHost& host) {
    // A tick while a pass (or a capture) runs is dropped; so is a tick left over after the stop.
    const CaptureController& controller = host.controller();
    if (controller.captureRunning() || !controller.monitoring) return false;
    return startPass(host);
}

std::vector<Hwnd> watchedControls(Hwnd listView) {
    // The pane already shows the report: the selection is read without refreshing it.
    const std::vector<std::int32_t> selected = collectSelectedRows(listView);
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

void runMonitorPass(MonitorHost& host, CaptureSession& pass, CaptureSession& report) {
    PassUi ui(pass.ui(), report);
    // Takes over the mark its starter set (startPass), so that the pass counts as running until it ends.
    SessionRun running(pass, pass.running());
    if (pass.stopRequested()) {
        stopPassOnRequest(running, host);
        return;
    }
    // The pass works from its own copy: the user may change the selection while it runs.
    const std::vector<Hwnd> watched = host.takeWatchedControls();
    if (watched.empty()) return;
    pass.setUi(&ui);
    LocalTime t{};
    sys().localTime(&t);
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "\r\n====== %04d/%02d/%02d %02d:%02d:%02d ===================", t.year,
                  t.month, t.day, t.hour, t.minute, t.second);
    appendToReport(pass, stamp);
    for (Hwnd window : watched) {
        if (pass.stopRequested()) {
            // What the pass wrote stays in the report, unpublished.
            appendPass(pass, report, nullptr);
            stopPassOnRequest(running, host);
            return;
        }
        if (!ws().isWindow(window)) {
            appendToReport(pass, kWatchedWindowGoneText);
            // The timer goes before the pass ends, so that no tick starts another pass in between; the
            // stop command then finds no pass to wait for.
            host.killMonitorTimer();
            appendPass(pass, report, &host);
            running.release();
            host.requestStopMonitoring();
            return;
        }
        captureWindow(pass, window, false);
    }
    appendPass(pass, report, &host);
    running.release();
    host.bringMainWindowToFront();
}

void stopMonitoring(MonitorHost& host) {
    CaptureController& controller = host.controller();
    controller.monitoring = false;
    host.killMonitorTimer();
    if (controller.captureRunning()) {
        controller.requestStop();
        // The pass may be sending to this thread right now: the wait keeps serving its messages.
        while (controller.captureRunning())
            host.waitServingMessages(kStopWaitStepMs);
    }
    controller.ui().clearSectionButtons();
    host.applyMenuState(false);
    host.refreshWindowList();
}

} // namespace vantor

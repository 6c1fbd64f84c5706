// Periodic monitoring on the fake desktop: the start from the menu (selection errors, cancelled dialog) and
// from the hot key, the timer period, a pass (timestamp, row order, no selected row, a window gone, what it
// publishes), the tick rule with a pass waiting on a hung control, the pass's own copy of the selection,
// and the stop command with a pass that keeps sending to the user-interface thread.
#include "triggers/monitoring.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "capture/capture_lock.h"
#include "capture/capture_state.h"
#include "capture/capture_ui.h"
#include "inventory/text_node.h"
#include "capture_test_support.h"

namespace vantor {
namespace {

using testing_support::RecordingUi;

// The application's side; it logs what it is asked. What a pass asks of the user-interface thread goes
// through toUi: on the test thread (the user-interface thread here) it runs at once; from a pass thread it
// waits in a queue that only waitServingMessages carries out, as SendMessage waits for the receiving thread.
class FakeMonitorHost : public MonitorHost {
  public:
    std::string listSeparator() override { return separator; }
    Hwnd focusWindow() override { return Hwnd{}; }
    void waitServingMessages(unsigned ms) override {
        ++waits;
        waitedMs += ms;
        std::unique_lock<std::mutex> g(m);
        cv.wait_for(g, std::chrono::milliseconds(5), [&] { return !pending.empty(); });
        for (; !pending.empty(); ++served) {
            std::function<void()> f = std::move(pending.front());
            pending.pop_front();
            g.unlock();
            f();
            g.lock();
        }
        cv.notify_all();
    }
    void resetPaneSelection() override { log("selection reset"); }
    bool startCaptureThread(Hwnd, std::shared_ptr<CaptureSession>) override { return false; }
    void requestWindowListRefresh() override {}
    void bringMainWindowToFront() override { log("front"); }
    bool placeOnClipboard(const char*, std::size_t) override { return false; }

    std::string separator = "\t";
    Hwnd mainWindow() override { return main; }
    Hwnd windowList() override { return list; }
    bool runMonitorDialog() override { return log("dialog"), dialogOk; }
    std::int32_t monitorInterval() override { return interval; }
    void applyMenuState(bool monitoring) override { log(monitoring ? "menu monitoring" : "menu idle"); }
    void showControlRows(const std::vector<ControlRow>& rows) override {
        log("rows " + std::to_string(rows.size()));
    }
    void startMonitorTimer(unsigned periodMs) override { log("timer " + std::to_string(periodMs)); }
    void killMonitorTimer() override {
        toUi([&] { log("kill timer" + running()); });
    }
    bool startPassThread(std::shared_ptr<CaptureSession> pass,
                         std::shared_ptr<CaptureSession> report) override {
        passes.emplace_back(pass, report);
        return log("pass thread" + running()), threadStarts;
    }
    // Runs the body of the pass thread started last.
    void runStartedPass() { runMonitorPass(*this, *passes.back().first, *passes.back().second); }
    std::vector<Hwnd> takeWatchedControls() override {
        std::vector<Hwnd> watched;
        toUi([&] { watched = watchedControls(list); });
        return watched;
    }
    void showReportFrom(std::size_t start, const std::string& text) override {
        toUi([&] { log("publish"), published.emplace_back(start, text); });
    }
    void requestStopMonitoring() override {
        toUi([&] { log("stop request" + running()), stopMonitoring(*this); });
    }
    void refreshWindowList() override { log("refresh list"); }

    std::string running() { return controller().captureRunning() ? " (pass running)" : ""; }
    void toUi(const std::function<void()>& f) {
        if (std::this_thread::get_id() == uiThread) return f();
        std::unique_lock<std::mutex> g(m);
        const int before = served;
        pending.push_back(f);
        cv.notify_all();
        if (!cv.wait_for(g, std::chrono::seconds(5), [&] { return served > before && pending.empty(); }))
            ++unanswered;
    }
    void log(const std::string& event) {
        std::lock_guard<std::mutex> g(logLock);
        events.push_back(event);
    }
    std::vector<std::string> takeEvents() {
        std::lock_guard<std::mutex> g(logLock);
        std::vector<std::string> out;
        out.swap(events);
        return out;
    }

    std::thread::id uiThread = std::this_thread::get_id();
    Hwnd main{}, list{};
    bool dialogOk = true, threadStarts = true;
    std::int32_t interval = 10;
    std::atomic<int> waits{0}, unanswered{0};
    unsigned waitedMs = 0;
    std::vector<std::pair<std::size_t, std::string>> published;
    std::vector<std::pair<std::shared_ptr<CaptureSession>, std::shared_ptr<CaptureSession>>> passes;

  private:
    std::mutex m, logLock;
    std::condition_variable cv;
    std::deque<std::function<void()>> pending;
    int served = 0;
    std::vector<std::string> events;
};

const char kEditSection[] = "\r\n■ エディットコントロール [Edit]\r\n";

class Monitoring : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop.install();
        createCaptureState();
        controlHandles().clear();
        host.controller().setUi(&ui);
        pid = desktop.addProcess(64);
        ownPid = desktop.addProcess(64);
        host.main = desktop.addWindow(Hwnd{}, "Vantor [Quellin]", "Vantor", ownPid);
        host.list = fake::addListView(desktop, host.main, ownPid, {"Window List"}, {});
        target = desktop.addWindow(Hwnd{}, "NotesWnd", "Notes", pid);
        for (const char* text : {"zero", "one", "two", "three", "four", "five"})
            edits.push_back(desktop.addWindow(target, "Edit", "", pid, fake::makeEdit(text)));
    }
    void TearDown() override {
        desktop.beforeMessage = nullptr;
        destroyCaptureState();
        controlHandles().clear();
        EXPECT_EQ(host.unanswered.load(), 0);
        EXPECT_EQ(desktop.problems(), "");
    }
    // The report the pane shows.
    std::string reportText() { return reportSnapshot(host.controller().shown()); }
    void appendReport(const char* text) { appendToReport(host.controller().shown(), text); }
    // A pass as a tick starts it, run on this thread.
    void runPass() {
        CaptureController& c = host.controller();
        const std::shared_ptr<CaptureSession> pass = c.startSession(c.shown().listSeparator());
        runMonitorPass(host, *pass, c.shown());
    }
    // A capture or pass running on another thread, as far as the controller is concerned.
    std::shared_ptr<CaptureSession> markRunning() { return host.controller().startSession("\t"); }
    bool running() { return host.controller().captureRunning(); }
    bool monitoring() { return host.controller().monitoring; }
    // The window list with these rows selected (as many rows as controlHandles, at least selected + 1).
    void selectRows(std::vector<int> selected) {
        std::vector<std::vector<std::string>> rows(8, std::vector<std::string>{"row"});
        desktop.window(host.list)->control = fake::makeListView({"Window List"}, rows, std::move(selected));
    }
    // Monitoring as startMonitoring leaves it for the target: the six edit controls listed.
    void monitorTarget() {
        controlHandles() = edits;
        host.controller().monitoring = true;
    }
    static std::string section(const char* text) { return std::string(kEditSection) + text + "\r\n"; }

    fake::FakeDesktop desktop;
    RecordingUi ui;
    FakeMonitorHost host;
    std::uint32_t pid = 0, ownPid = 0;
    Hwnd target{};
    std::vector<Hwnd> edits;
};

// ---- Starting --------------------------------------------------------------------------------------------

TEST_F(Monitoring, MenuCommandNeedsExactlyOneSelectedRow) {
    selectRows({});
    EXPECT_FALSE(startMonitoring(Hwnd{}, host));
    selectRows({0, 2});
    EXPECT_FALSE(startMonitoring(Hwnd{}, host));
    EXPECT_EQ(desktop.messageBoxes, (std::vector<std::string>{"エラー|アイテムが選択されていません",
                                                              "エラー|アイテムが複数選択されています"}));
    EXPECT_TRUE(host.takeEvents().empty()); // no dialog, menu, list, timer or pass
    EXPECT_FALSE(monitoring());
}

TEST_F(Monitoring, MenuCommandMonitorsTheSelectedRowsWindowInTheFixedOrder) {
    // Row 1 of the window list is the second child of windowRoot.
    Hwnd other = desktop.addWindow(Hwnd{}, "OtherWnd", "Other", pid);
    for (Hwnd w : {other, target}) {
        appendChild(std::make_unique<WindowNode>(), windowRoot.get())->window = w;
    }
    appendReport("old capture");
    selectRows({1});
    host.interval = 5;
    host.separator = ";";
    ASSERT_TRUE(startMonitoring(Hwnd{}, host));
    EXPECT_EQ(host.controller().shown().listSeparator(),
              ";"); // the session's passes keep the user's separator
    EXPECT_EQ(host.takeEvents(),
              (std::vector<std::string>{"dialog", "menu monitoring", "rows 6", "selection reset", "timer 500",
                                        "pass thread (pass running)"}));
    EXPECT_EQ(controlHandles(), edits);
    EXPECT_EQ(ui.clears, 1);
    EXPECT_EQ(ui.buttons, (std::vector<std::pair<std::string, int>>{{"終了", 32792}}));
    EXPECT_EQ(reportText(), "");
    EXPECT_TRUE(monitoring());
    EXPECT_TRUE(running()); // the first pass is on its way
    // While monitoring, rows stand for the listed controls.
    EXPECT_EQ(windowOfListRow(2, host.controller()), edits[2]);
    EXPECT_EQ(windowOfListRow(6, host.controller()), Hwnd{});
}

TEST_F(Monitoring, CancelledDialogOrKeptCaptureChangesNothing) {
    appendReport("kept");
    host.dialogOk = false;
    EXPECT_FALSE(startMonitoring(target, host));
    EXPECT_EQ(host.takeEvents(), (std::vector<std::string>{"front", "dialog"}));
    // A running capture the user keeps (answer No): not even the dialog.
    host.dialogOk = true;
    const std::shared_ptr<CaptureSession> kept = markRunning();
    desktop.messageBoxAnswer = kIdNo;
    EXPECT_FALSE(startMonitoring(target, host));
    EXPECT_EQ(host.takeEvents(), (std::vector<std::string>{"front"}));
    kept->end();
    EXPECT_EQ(reportText(), "kept");
    EXPECT_EQ(ui.clears, 0);
    EXPECT_FALSE(monitoring());
}

TEST_F(Monitoring, TimerPeriodIsTheIntervalInTenthsOfASecondWithinTheTimersLimit) {
    EXPECT_EQ(monitorPeriodMs(10), 1000u);
    EXPECT_EQ(monitorPeriodMs(1), 100u);
    EXPECT_EQ(monitorPeriodMs(30000000), 0x7FFFFFFFu); // 3,000,000,000 ms would overflow 32 bits
    EXPECT_EQ(monitorPeriodMs(2147483647), 0x7FFFFFFFu);
}

// ---- A pass ----------------------------------------------------------------------------------------------

TEST_F(Monitoring, PassWritesAZeroPaddedTimestampAndTheSelectedRowsInRowOrder) {
    monitorTarget();
    selectRows({5, 2}); // selected as 5, then 2
    desktop.now = LocalTime{2027, 1, 2, 6, 3, 4, 5, 9};
    runPass();
    const std::string first =
        "\r\n====== 2027/01/02 03:04:05 ===================" + section("two") + section("five");
    EXPECT_EQ(reportText(), first);
    EXPECT_EQ(host.takeEvents(), (std::vector<std::string>{"publish", "front"}));
    EXPECT_FALSE(running());

    // The next pass appends; its publication carries what it added and a short anchor before it, not the
    // whole report.
    desktop.now = LocalTime{2027, 12, 31, 5, 23, 59, 58, 0};
    selectRows({4});
    runPass();
    const std::string second = "\r\n====== 2027/12/31 23:59:58 ===================" + section("four");
    EXPECT_EQ(reportText(), first + second);
    ASSERT_EQ(host.published.size(), 2u);
    EXPECT_EQ(host.published[0], std::make_pair(std::size_t{0}, first));
    EXPECT_EQ(host.published[1].first, first.size() - 64);
    EXPECT_EQ(host.published[1].second, first.substr(first.size() - 64) + second);
}

TEST_F(Monitoring, PassWithoutASelectedRowWritesNothing) {
    monitorTarget();
    selectRows({});
    for (int tick = 0; tick < 3; ++tick)
        runPass();
    EXPECT_EQ(reportText(), "");
    EXPECT_TRUE(host.takeEvents().empty()); // nothing published, the timer left running
    EXPECT_FALSE(running());
    // A selected row beyond the listed controls stands for no window either.
    selectRows({7});
    runPass();
    EXPECT_EQ(reportText(), "");
}

TEST_F(Monitoring, AWatchedWindowGoneEndsThePassAndMonitoring) {
    monitorTarget();
    selectRows({1, 3, 4});
    desktop.destroyWindow(edits[3]);
    runPass();
    EXPECT_EQ(reportText(), "\r\n====== 2026/12/07 09:30:15 ===================" + section("one") +
                                "\r\nウインドウが存在しません\r\n");
    // The timer goes while the pass still holds captureRunning (no tick can start another pass), the pane
    // shows the report, and the stop command finds no pass to wait for.
    EXPECT_EQ(host.takeEvents(),
              (std::vector<std::string>{"kill timer (pass running)", "publish", "stop request", "kill timer",
                                        "menu idle", "refresh list"}));
    EXPECT_FALSE(monitoring());
    EXPECT_FALSE(running());
    EXPECT_EQ(ui.clears, 1);
    EXPECT_EQ(host.waits.load(), 0);
    EXPECT_TRUE(desktop.messageBoxes.empty()); // the stop asks nothing
}

TEST_F(Monitoring, ThePassWorksFromTheSelectionAndControlListAsTheyWereAtItsStart) {
    monitorTarget();
    selectRows({2, 5});
    // While the pass reads its first control, the user selects row 0 only and monitoring is restarted on
    // another window, which refills the control list.
    desktop.beforeMessage = [&](Hwnd w, std::uint32_t) {
        if (w != edits[2]) return;
        desktop.beforeMessage = nullptr;
        selectRows({0});
        controlHandles() = {edits[0]};
    };
    runPass();
    EXPECT_EQ(reportText(),
              "\r\n====== 2026/12/07 09:30:15 ===================" + section("two") + section("five"));
}

// ---- Ticks -----------------------------------------------------------------------------------------------

TEST_F(Monitoring, ATickStartsAPassOnlyWhileMonitoringAndNothingRuns) {
    EXPECT_FALSE(onMonitorTimer(host)); // monitoring is off
    host.controller().monitoring = true;
    const std::shared_ptr<CaptureSession> busy = markRunning();
    EXPECT_FALSE(onMonitorTimer(host)); // dropped, not queued
    EXPECT_TRUE(host.takeEvents().empty());
    busy->end();
    EXPECT_TRUE(onMonitorTimer(host));
    EXPECT_EQ(host.takeEvents(), (std::vector<std::string>{"pass thread (pass running)"}));
    EXPECT_TRUE(running());
    host.passes.back().first->end();
    host.threadStarts = false;
    EXPECT_FALSE(onMonitorTimer(host));
    EXPECT_FALSE(running()); // a thread that did not start leaves nothing running
}

TEST_F(Monitoring, APassWaitingOnAHungControlDropsTicksAndGoesOnAfterTheTimeOut) {
    monitorTarget();
    selectRows({1, 2});
    desktop.window(edits[1])->hung = true;
    // The message to the hung control waits out its time-out until the test lets it go.
    std::mutex gate;
    std::condition_variable opened;
    bool waiting = false, open = false;
    desktop.beforeMessage = [&](Hwnd w, std::uint32_t) {
        if (w != edits[1]) return;
        std::unique_lock<std::mutex> g(gate);
        waiting = true;
        opened.notify_all();
        opened.wait(g, [&] { return open; });
    };
    ASSERT_TRUE(onMonitorTimer(host));
    std::thread pass([&] { host.runStartedPass(); });
    {
        std::unique_lock<std::mutex> g(gate);
        while (!waiting) {
            g.unlock();
            host.waitServingMessages(100); // the pass's snapshot is taken on this thread
            g.lock();
        }
    }
    for (int tick = 0; tick < 3; ++tick)
        EXPECT_FALSE(onMonitorTimer(host)) << tick;
    {
        std::lock_guard<std::mutex> g(gate);
        open = true;
    }
    opened.notify_all();
    while (running())
        host.waitServingMessages(100);
    pass.join();
    // The hung control's section is empty; the pass went on to the next control and ended normally.
    EXPECT_EQ(reportText(), "\r\n====== 2026/12/07 09:30:15 ===================" + std::string(kEditSection) +
                                "\r\n" + section("two"));
    EXPECT_EQ(host.takeEvents(),
              (std::vector<std::string>{"pass thread (pass running)", "publish", "front"}));
}

// ---- Stopping --------------------------------------------------------------------------------------------

TEST_F(Monitoring, StopWaitsForARunningPassWhileServingItsMessages) {
    monitorTarget();
    selectRows({0, 1, 2, 3, 4, 5});
    // Each control's query takes a while, as across processes.
    desktop.beforeMessage = [&](Hwnd, std::uint32_t) {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    };
    ASSERT_TRUE(onMonitorTimer(host));
    std::thread pass([&] { host.runStartedPass(); });
    // The pass has its snapshot and has begun (it writes into its own session).
    while (reportSnapshot(*host.passes.back().first).empty())
        host.waitServingMessages(1);
    host.takeEvents();
    host.waits = 0;
    host.waitedMs = 0;
    stopMonitoring(host);
    pass.join();
    EXPECT_FALSE(running());
    EXPECT_TRUE(host.passes.back().first->stopRequested()); // the stop reached the pass's own session
    EXPECT_FALSE(monitoring());
    EXPECT_GE(host.waits.load(), 1);
    EXPECT_EQ(host.waitedMs % 100, 0u);
    // The pass stopped before its last control and published nothing; the stop command killed the timer
    // first, and the pass's own timer request was served while the stop command waited.
    EXPECT_EQ(reportText().find("five"), std::string::npos);
    EXPECT_EQ(host.takeEvents(),
              (std::vector<std::string>{"kill timer (pass running)", "kill timer (pass running)", "menu idle",
                                        "refresh list"}));
}

TEST_F(Monitoring, APassThatFindsTheStopRequestKillsTheTimerAndLeavesMonitoringOn) {
    monitorTarget();
    selectRows({1});
    CaptureController& c = host.controller();
    const std::shared_ptr<CaptureSession> pass = c.startSession(c.shown().listSeparator());
    pass->requestStop();
    runMonitorPass(host, *pass, c.shown());
    EXPECT_EQ(host.takeEvents(), (std::vector<std::string>{"kill timer (pass running)"}));
    EXPECT_FALSE(running());
    EXPECT_TRUE(monitoring()); // until the stop command runs
    EXPECT_EQ(reportText(), "");
}

} // namespace
} // namespace vantor

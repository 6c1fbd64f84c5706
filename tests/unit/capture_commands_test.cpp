// The capture commands on the fake desktop: the cancel protocol with a real worker thread that keeps sending
// to the user-interface thread while it is asked to stop, the start of a window capture, the capture
// thread's body, the hot-key captures and the clipboard block.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
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
#include "capture/report_buffer.h"
#include "platform/fake/fake_controls.h"
#include "platform/fake/fake_desktop.h"
#include "triggers/capture_commands.h"
#include "capture_test_support.h"

namespace vantor {
namespace {

using namespace testing_support;

// The application's side. Requests a worker "sends" to the user-interface thread wait in a queue that only
// waitServingMessages carries out, as SendMessage waits for the receiving thread to take its messages.
class FakeHost : public CommandHost {
  public:
    std::string listSeparator() override { return separator; }
    Hwnd focusWindow() override { return focus; }

    void waitServingMessages(unsigned ms) override {
        ++waits;
        waitedMs += ms;
        std::unique_lock<std::mutex> g(m);
        cv.wait_for(g, std::chrono::milliseconds(5), [&] { return !pending.empty(); });
        while (!pending.empty()) {
            std::function<void()> f = std::move(pending.front());
            pending.pop_front();
            f();
            ++served;
        }
        cv.notify_all();
    }

    // From a worker: true once the user-interface thread has carried f out; false after 3 s without.
    bool sendToUi(std::function<void()> f) {
        std::unique_lock<std::mutex> g(m);
        const int before = served;
        pending.push_back(std::move(f));
        cv.notify_all();
        return cv.wait_for(g, std::chrono::seconds(3), [&] { return served > before && pending.empty(); });
    }

    void resetPaneSelection() override { ++selectionResets; }
    bool startCaptureThread(Hwnd window, std::shared_ptr<CaptureSession> session) override {
        started.push_back(window);
        startedSessions.push_back(session);
        runningWhenStarted = controller().captureRunning();
        return threadStarts;
    }
    void requestWindowListRefresh() override { ++refreshes; }
    void bringMainWindowToFront() override { ++fronts; }
    bool placeOnClipboard(const char* block, std::size_t size) override {
        ++clipboardCalls;
        if (!clipboardOpens) return false;
        clipboard.assign(block, size);
        return true;
    }

    Hwnd focus{};
    std::string separator = "\t";
    std::atomic<int> waits{0};
    unsigned waitedMs = 0;
    int served = 0;
    std::mutex m;
    std::condition_variable cv;
    std::deque<std::function<void()>> pending;
    int selectionResets = 0;
    std::vector<Hwnd> started;
    std::vector<std::shared_ptr<CaptureSession>> startedSessions;
    bool runningWhenStarted = false;
    bool threadStarts = true;
    int refreshes = 0;
    int fronts = 0;
    int clipboardCalls = 0;
    bool clipboardOpens = true;
    std::string clipboard;
};

class CaptureCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop.install();
        createCaptureState();
        host.controller().setUi(&ui);
        pid = desktop.addProcess(64);
        top = desktop.addWindow(Hwnd{}, "NotesWnd", "Notes", pid);
    }
    void TearDown() override {
        destroyCaptureState();
        EXPECT_EQ(desktop.problems(), "");
    }
    // The report the pane shows.
    std::string reportText() { return reportSnapshot(host.controller().shown()); }
    void setReport(const char* text) {
        CaptureLock hold(host.controller().shown());
        hold.report().clear();
        hold.report().append(text, std::strlen(text));
    }
    // A window capture as the command's thread runs it: a session of its own, shown in the pane.
    static void capture(Hwnd window, FakeHost& h) {
        CaptureController& c = h.controller();
        std::shared_ptr<CaptureSession> s = c.startSession(h.listSeparator());
        if (!isNull(window)) c.show(s);
        runWindowCapture(window, h, *s);
    }
    // A capture or pass that runs on another thread, as far as the controller is concerned.
    std::shared_ptr<CaptureSession> markRunning() { return host.controller().startSession("\t"); }
    bool running() { return host.controller().captureRunning(); }

    fake::FakeDesktop desktop;
    RecordingUi ui;
    FakeHost host;
    std::uint32_t pid = 0;
    Hwnd top{};
};

// ---- Cancel protocol ---------------------------------------------------------------------------------

TEST_F(CaptureCommandsTest, NothingRunningGoesOnWithoutAsking) {
    EXPECT_EQ(askStopRunningCapture(top, host), CancelOutcome::NotRunning);
    EXPECT_TRUE(desktop.messageBoxes.empty());
    EXPECT_EQ(host.waits, 0);
}

TEST_F(CaptureCommandsTest, AnswerNoLeavesTheCaptureRunning) {
    const std::shared_ptr<CaptureSession> worker = markRunning();
    desktop.messageBoxAnswer = kIdNo;
    EXPECT_EQ(askStopRunningCapture(top, host), CancelOutcome::Declined);
    ASSERT_EQ(desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(desktop.messageBoxes[0], std::string("Notes [NotesWnd]|") + kStopQuestionText);
    EXPECT_TRUE(running());
    EXPECT_FALSE(worker->stopRequested());
    EXPECT_EQ(host.waits, 0);
}

TEST_F(CaptureCommandsTest, AnswerYesStopsAWorkerThatKeepsSendingToTheUserInterface) {
    // The worker sends a synchronous request before each stop check, as a capture does with its pane and
    // toolbar updates. A wait that did not serve those requests would leave it blocked for ever.
    const std::shared_ptr<CaptureSession> session = markRunning();
    desktop.messageBoxAnswer = kIdYes;
    std::atomic<int> unanswered{0};
    std::atomic<bool> sawStop{false};
    std::thread worker([&] {
        while (!session->stopRequested()) {
            if (!host.sendToUi([] {})) ++unanswered;
        }
        sawStop = true;
        if (!host.sendToUi([] {})) ++unanswered; // one more message after the stop was seen
        session->end();
    });
    // Let the worker block in a send before the question is asked.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const CancelOutcome outcome = askStopRunningCapture(top, host);
    worker.join();
    EXPECT_EQ(outcome, CancelOutcome::Stopped);
    EXPECT_TRUE(sawStop.load());
    EXPECT_EQ(unanswered.load(), 0);
    EXPECT_FALSE(running());
    // The stop belonged to that capture: the next one starts without it.
    EXPECT_FALSE(markRunning()->stopRequested());
    EXPECT_GE(host.waits.load(), 1);
    EXPECT_EQ(host.waitedMs % 100, 0u); // steps of 100 ms
}

TEST_F(CaptureCommandsTest, CaptionNamesAWindowThatIsGone) {
    const std::shared_ptr<CaptureSession> worker = markRunning();
    desktop.messageBoxAnswer = kIdNo;
    desktop.destroyWindow(top);
    EXPECT_EQ(askStopRunningCapture(top, host), CancelOutcome::Declined);
    ASSERT_EQ(desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(desktop.messageBoxes[0], std::string(" []|") + kStopQuestionText);
}

TEST_F(CaptureCommandsTest, ExitStopsARunningCaptureButWaitsOnlySoLong) {
    EXPECT_TRUE(stopCaptureForExit(host, 3000)); // nothing runs
    EXPECT_EQ(host.waits, 0);

    // A worker that stops at its next check, while sending to the user interface.
    const std::shared_ptr<CaptureSession> first = markRunning();
    std::thread worker([&] {
        while (!first->stopRequested())
            host.sendToUi([] {});
        first->end();
    });
    EXPECT_TRUE(stopCaptureForExit(host, 3000));
    worker.join();

    // A capture that never stops: the exit gives up after the time allowed.
    const std::shared_ptr<CaptureSession> stuck = markRunning();
    host.waits = 0;
    EXPECT_FALSE(stopCaptureForExit(host, 500));
    EXPECT_EQ(host.waits, 5);
    EXPECT_TRUE(stuck->stopRequested());
    stuck->end();
}

// ---- Starting a window capture -----------------------------------------------------------------------

TEST_F(CaptureCommandsTest, UpdateMarksTheCaptureRunningBeforeItsThreadStarts) {
    EXPECT_TRUE(updateWindowInfo(top, host));
    ASSERT_EQ(host.started.size(), 1u);
    EXPECT_EQ(host.started[0], top);
    EXPECT_TRUE(host.runningWhenStarted); // no second command can slip in before the worker runs
    EXPECT_EQ(host.selectionResets, 1);
    EXPECT_EQ(host.controller().currentTarget, top);
    // A second command now asks first.
    desktop.messageBoxAnswer = kIdNo;
    EXPECT_FALSE(updateWindowInfo(top, host));
    EXPECT_EQ(host.started.size(), 1u);
    EXPECT_EQ(desktop.messageBoxes.size(), 1u);
}

TEST_F(CaptureCommandsTest, EachCaptureTakesTheSeparatorTheUserHasChosenWhenItStarts) {
    Hwnd list = fake::addListView(desktop, top, pid, {"Name", "No"}, {{"a", "1"}}, {0});
    host.separator = ";";
    EXPECT_TRUE(updateWindowInfo(top, host));
    host.separator = ","; // changed while the capture runs: it keeps its own
    runWindowCapture(top, host, *host.startedSessions.at(0));
    EXPECT_NE(reportText().find("Name;No\r\na;1\r\n"), std::string::npos);
    captureUnderCursorOf(list, host);
    EXPECT_EQ(reportText(), "Name,No\r\na,1\r\n");
}

TEST_F(CaptureCommandsTest, AThreadThatCannotStartLeavesNothingRunning) {
    host.threadStarts = false;
    EXPECT_FALSE(updateWindowInfo(top, host));
    EXPECT_FALSE(running());
}

// ---- The capture thread's body -----------------------------------------------------------------------

TEST_F(CaptureCommandsTest, GoneWindowReportsItAndRefreshesTheList) {
    setReport("old report\n");
    desktop.destroyWindow(top);
    capture(top, host);
    EXPECT_EQ(reportText(), kWindowGoneReport);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0], kWindowGoneReport);
    EXPECT_EQ(host.refreshes, 1);
    EXPECT_EQ(host.fronts, 0);
    EXPECT_EQ(ui.clears, 1);
    EXPECT_FALSE(running());
}

TEST_F(CaptureCommandsTest, NoWindowEndsAtOnce) {
    setReport("kept\n");
    capture(Hwnd{}, host);
    EXPECT_EQ(reportText(), "kept\n");
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_FALSE(running());
}

TEST_F(CaptureCommandsTest, FullCaptureShowsStructureThenSectionsAndComesToTheFront) {
    fake::addListBox(desktop, top, pid, {"alpha", "b", "gamma"});
    capture(top, host);
    const std::string expected = "■ ウインドウの構成\n\"Notes\" NotesWnd\n  + \"\" ListBox\n"
                                 "\n■ リストボックス情報 [ListBox]\r\nalpha\r\ngamma\r\n";
    EXPECT_EQ(reportText(), expected);
    ASSERT_EQ(ui.buttons.size(), 2u);
    EXPECT_EQ(ui.buttons[0], std::make_pair(std::string("Window"), 0));
    EXPECT_EQ(ui.buttons[1], std::make_pair(std::string("ListBox"), 4));
    // Shown once after the structure report, once at the end.
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_EQ(ui.shown[0], "■ ウインドウの構成\n\"Notes\" NotesWnd\n  + \"\" ListBox\n");
    EXPECT_EQ(ui.shown[1], expected);
    EXPECT_EQ(host.fronts, 1);
    EXPECT_EQ(host.refreshes, 0);
    EXPECT_FALSE(running());
}

TEST_F(CaptureCommandsTest, ACaptureStartedWhileTheLastOneComesToTheFrontStaysMarkedRunning) {
    // Bringing the main window up runs after the flag was cleared; a command handled meanwhile may start
    // the next capture, whose flag the ending worker must not clear.
    struct StartingHost : FakeHost {
        void bringMainWindowToFront() override {
            ++fronts;
            next = controller().startSession("\t"); // the next capture's start
        }
        std::shared_ptr<CaptureSession> next;
    } startingHost;
    capture(top, startingHost);
    EXPECT_EQ(startingHost.fronts, 1);
    EXPECT_TRUE(startingHost.controller().captureRunning());
}

TEST_F(CaptureCommandsTest, StopDuringTheCaptureKeepsWhatWasShownAndStaysBehind) {
    Hwnd list = fake::addListBox(desktop, top, pid, {"alpha", "gamma"});
    fake::addListBox(desktop, top, pid, {"second"});
    desktop.beforeMessage = [&](Hwnd w, std::uint32_t) {
        if (w == list) host.controller().requestStop();
    };
    capture(top, host);
    desktop.beforeMessage = nullptr;
    ASSERT_EQ(ui.shown.size(), 1u); // only the structure report reached the pane
    EXPECT_EQ(reportText().find("second"), std::string::npos);
    EXPECT_EQ(host.fronts, 0);
    EXPECT_FALSE(running());
}

// ---- Hot-key captures under the cursor -----------------------------------------------------------------

TEST_F(CaptureCommandsTest, TreeViewItemGoesToTheClipboardAndTheReportStays) {
    fake::TreeViewOptions options;
    options.caret = 2; // depth-first: root, child, second child
    Hwnd tree = fake::addTreeView(desktop, top, pid, {{"動物", {{"ねこ", {}}, {"いぬ", {}}}}}, options);
    setReport("kept\n");
    captureUnderCursorOf(tree, host);
    EXPECT_EQ(host.clipboard, std::string("いぬ") + '\0');
    EXPECT_EQ(reportText(), "kept\n");
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(CaptureCommandsTest, ButtonUnderTheCursorDoesNothing) {
    Hwnd button = desktop.addWindow(top, "Button", "OK", pid);
    setReport("kept\n");
    captureUnderCursorOf(button, host);
    EXPECT_EQ(host.clipboardCalls, 0);
    EXPECT_EQ(reportText(), "kept\n");
}

TEST_F(CaptureCommandsTest, ListViewSelectedRowsGoToPaneAndClipboard) {
    std::vector<std::vector<std::string>> rows;
    for (int i = 0; i < 10; ++i)
        rows.push_back({"row" + std::to_string(i), std::to_string(i)});
    Hwnd list = fake::addListView(desktop, top, pid, {"Name", "No"}, rows, {3, 7});
    captureUnderCursorOf(list, host);
    const std::string expected = "Name\tNo\r\nrow3\t3\r\nrow7\t7\r\n";
    EXPECT_EQ(reportText(), expected);
    EXPECT_EQ(host.clipboard, expected + '\0');
    ASSERT_FALSE(ui.shown.empty());
    EXPECT_EQ(ui.shown.back(), expected);
    EXPECT_FALSE(running());
}

TEST_F(CaptureCommandsTest, GoneListViewSaysNullWindowAndLeavesTheClipboard) {
    Hwnd list = fake::addListView(desktop, top, pid, {"Name"}, {{"a"}}, {0});
    desktop.destroyWindow(list);
    captureListViewToClipboard(list, host);
    EXPECT_EQ(reportText(), "null window");
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0], "null window");
    EXPECT_EQ(host.clipboardCalls, 0);
    EXPECT_FALSE(running());
}

TEST_F(CaptureCommandsTest, HotKeyWhileRunningAsksNamingTheWindowUnderTheCursor) {
    Hwnd tree = fake::addTreeView(desktop, top, pid, {{"x1", {}}});
    desktop.window(tree)->title = "Tree";
    const std::shared_ptr<CaptureSession> worker = markRunning();
    desktop.messageBoxAnswer = kIdNo;
    captureUnderCursorOf(tree, host);
    ASSERT_EQ(desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(desktop.messageBoxes[0], std::string("Tree [SysTreeView32]|") + kStopQuestionText);
    EXPECT_EQ(host.clipboardCalls, 0);
}

// ---- Clipboard block -----------------------------------------------------------------------------------

TEST(ClipboardBlock, TextOfTenCharactersTakesElevenBytesEndingInNul) {
    const char text[] = "0123456789tail";
    ASSERT_EQ(clipboardBlockSize(10), 11u);
    char block[11];
    std::memset(block, 'X', sizeof block);
    fillClipboardBlock(block, text, 10);
    EXPECT_EQ(std::string(block, 10), "0123456789");
    EXPECT_EQ(block[10], '\0');
    char empty[1] = {'X'};
    fillClipboardBlock(empty, "", 0);
    EXPECT_EQ(empty[0], '\0');
}

TEST_F(CaptureCommandsTest, ClipboardThatCannotBeOpenedIsReported) {
    host.clipboardOpens = false;
    EXPECT_FALSE(copyToClipboard("abc", 3, host));
    EXPECT_TRUE(host.clipboard.empty());
    host.clipboardOpens = true;
    EXPECT_TRUE(copyToClipboard("abc", 2, host));
    EXPECT_EQ(host.clipboard, std::string("ab") + '\0');
}

} // namespace
} // namespace vantor
